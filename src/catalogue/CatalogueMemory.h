// What the catalogue's builds keep for the next, so that a refresh costs little when little has
// changed: the executables read (while their stamps stay), each service's key (while the
// services' key reports no change) and what each tab listed (to tell that nothing changed).
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

    // Another build: forgets the keys when the services' key changed (or cannot be watched).
    void BeginBuild();
    // A service as ReadListedService gives it, its key read once while nothing changes.
    ServiceEntry ListedService(const std::string& serviceName, std::vector<ServiceReadError>& errors);
    ExecutableCache& Executables() { return executables_; }

    // The item texts and icons of each tab in the order met: true when they are those of the
    // build before and no executable was read again (the build's lists would be the same).
    using Listed = std::array<std::vector<std::pair<std::string, platform::RawHandle>>, 3>;
    bool SameAsBefore(Listed listed);

private:
    struct KeyRead {
        ServiceEntry entry;  // name, display name, type and image path
        bool opened = false;
        std::optional<std::string> error;
    };
    platform::Platform system_;
    ExecutableCache executables_;
    std::unique_ptr<platform::IKeyWatch> servicesKey_;
    std::map<std::string, KeyRead> keys_;
    std::optional<Listed> listed_;
};

}  // namespace rondel
