// What the catalogue's builds keep for the next, so that a refresh costs little when little has
// changed: the executables read (while their stamps stay), each service's key (while it has not
// been written since it was read) and what each tab listed (to tell that nothing changed).
// Used by one thread at a time.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "platform/Platform.h"

namespace rondel {

struct ServiceReadError;

class CatalogueMemory {
public:
    // Starts watching the services' key.
    explicit CatalogueMemory(platform::Platform system);

    // Another build. When something changed under the services' key (or it cannot be watched),
    // the keys written since they were read are forgotten (by each key's last-write time), all of
    // them when those times cannot be read: a service that writes its own parameters below its
    // key costs nothing.
    void BeginBuild();
    // A service as ReadListedService gives it, its key read once while nothing changes; with
    // extras, what the lists keep of its key beside it.
    ServiceEntry ListedService(const std::string& serviceName, std::vector<ServiceReadError>& errors,
                               ServiceKeyExtras* extras = nullptr);
    ExecutableCache& Executables() { return executables_; }

    // The item texts and icons of each tab in the order met, which numbers this build: true when
    // they are those of build `shown` (none: the build before), that build was the last one and
    // no executable was read again (this build's lists would be the same as its).
    // What the lists keep of the keys counts too.
    using Listed = std::array<std::vector<std::pair<std::string, platform::RawHandle>>, 3>;
    using Extras = std::map<std::string, ServiceKeyExtras>;
    bool SameAs(Listed listed, Extras extras, std::optional<uint64_t> shown = std::nullopt);
    // The number of the last build (0 before the first).
    uint64_t LastBuild() const { return builds_; }

private:
    struct KeyRead {
        ServiceEntry entry;  // name, display name, type and image path
        ServiceKeyExtras extras;
        bool opened = false;
        std::optional<std::string> error;
        uint64_t lastWrite = 0;  // the key's, when it was read; 0: not known
    };
    // The services' sub-keys' last-write times, by name; false when they cannot be read.
    bool ReadStamps();
    platform::Platform system_;
    ExecutableCache executables_;
    std::unique_ptr<platform::IKeyWatch> servicesKey_;
    std::map<std::string, KeyRead> keys_;
    std::map<std::string, uint64_t> stamps_;
    std::optional<Listed> listed_;
    Extras extras_;
    uint64_t builds_ = 0;
};

}  // namespace rondel
