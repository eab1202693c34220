// The details of one service: its registry data, its executable's version strings and icon.
//
// The registry keeps a command line, not a path ("svchost -k rpcss", quoted paths with
// arguments, %SystemRoot% references, "\SystemRoot\" driver paths); both operations reduce it
// to an existing file by a fixed sequence of steps, which differ slightly between the two.
#pragma once

#include <map>
#include <set>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ServiceEntry.h"
#include "platform/Platform.h"

namespace rondel {

// The service's key under HKEY_LOCAL_MACHINE, written from the root: "\SYSTEM\...\<name>".
std::string ServiceKeyPath(const std::string& serviceName);

struct ServiceRegistryDetails {
    std::string description;  // "Description", an indirect "@file,-id" text resolved
    uint32_t startValue = 0;  // "Start"
    bool keyMissing = false;  // the service has no key that opens: it has no start type to show
};

// From "\SYSTEM\CurrentControlSet\Services\<name>" under HKEY_LOCAL_MACHINE. A key that does
// not open gives an empty description, start value 0 and keyMissing (the CSV then shows no
// start type). A Description of the wrong kind, or a
// Start that is missing or of the wrong kind, raises RegistryError.
ServiceRegistryDetails ReadServiceRegistryDetails(platform::Platform& system, const std::string& serviceName);

// A stored display name or description of the form "@file,-id" names a string resource; this
// gives the text it names, or the stored text when it cannot be resolved.
std::string ResolveIndirectString(platform::IShell& shell, const std::string& stored);

// What the builds learn about the executables they meet, so that each is resolved, its version
// strings read and its icon extracted once, however many services it runs (the way the
// services a host process serves share their host). Within one build the results are those of
// the rules below, call for call. Kept for later builds (BeginBuild), what was read of a file
// stays while its size and last-write time stay the same.
class ExecutableCache {
public:
    explicit ExecutableCache(platform::Platform& system) : system_(system) {}

    // Another build: the image paths are resolved again, each file met is asked once for its
    // stamp, and what was read of a file whose stamp changed, or that has none, is read again.
    void BeginBuild();
    // This build read a file again that an earlier build had read: an icon may be another now.
    bool ReadAgain() const { return readAgain_; }

    struct Strings {
        std::string company;
        std::string description;
    };
    // The company and description for a stored image path, as ReadServiceInfo gives them.
    const Strings& StringsOf(const std::string& imagePath);
    // The icon LoadServiceIcon gives for an entry's executable path, owned by the cache; 0 for none.
    platform::RawHandle IconOf(const std::string& executablePath);

private:
    struct FileRead {
        std::optional<platform::FileStamp> stamp;
        std::optional<Strings> strings;
        std::optional<platform::IconHandle> icon;
    };
    // What was read of the file, emptied when its stamp is not the one it was read under.
    FileRead& FileOf(const std::string& file);

    platform::Platform& system_;
    std::map<std::string, Strings> stringsByImagePath_;  // this build's
    std::map<std::string, platform::RawHandle> iconByPath_;  // this build's
    std::map<std::string, FileRead> files_;
    std::set<std::string> stamped_;  // the files whose stamps this build has asked for
    bool readAgain_ = false;
};

// Fills display name, executable path, company, description and service type from the
// service name, reading the key with read rights only. A key that does not open leaves four
// empty strings and type 0. A registry value of the wrong kind raises RegistryError; the
// fields read before it keep their values.
void ReadServiceInfo(platform::Platform& system, ServiceEntry& entry, ExecutableCache* cache = nullptr);
// What a list keeps of a service's key beyond its entry: the services it depends on
// ("DependOnService") and its description ("Description", an indirect text resolved), for the
// dependents of a stop and for the filter. A value of another kind leaves its part empty.
struct ServiceKeyExtras {
    std::vector<std::string> dependsOn;
    std::string description;
    bool operator==(const ServiceKeyExtras&) const = default;
};

// Its key's part: display name, type and the image path (as executablePath), the other fields
// left as they are; with extras, those too. False when the key does not open; RegistryError as
// above.
bool ReadServiceKey(platform::Platform& system, ServiceEntry& entry, ServiceKeyExtras* extras = nullptr);

// The names of a "DependOnService" value, read as raw bytes: NUL-terminated names up to the
// first empty one or the end of the data, whichever comes first. A last name without its NUL
// ends with the data.
std::vector<std::string> DependOnServiceNames(std::span<const uint8_t> value);

// Gives icon the first icon of the service's executable; leaves it untouched when there is none.
void LoadServiceIcon(platform::Platform& system, const ServiceEntry& entry, platform::IconHandle& icon);

// The two resolution rules, exposed for their own tests: the existing file a stored image path
// names, as the details read it and as the icon lookup does.
std::optional<std::string> ResolveExecutableForDetails(platform::Platform& system, std::string imagePath);
std::optional<std::string> ResolveExecutableForIcon(platform::Platform& system, std::string imagePath);

}  // namespace rondel
