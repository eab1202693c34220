#include "control/DependencyLookup.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "control/ServiceState.h"
#include "text/AnsiText.h"

namespace rondel {

using namespace platform;

bool IsDriver(uint32_t serviceType) {
    return (serviceType & (kServiceKernelDriver | kServiceFileSystemDriver | kServiceRecognizerDriver)) != 0;
}

namespace {

constexpr uint32_t kDependentsBufferSize = 9216;
// A list that keeps growing between two requests is asked again a few times, never forever.
constexpr int kDependentsAttempts = 4;

// The names listed so far, ASCII letters lowered. Kept beside the list rather than split back
// out of its items: a name holding a TAB or a line break does not come back out whole.
using ListedNames = std::set<std::string>;

// What one lookup reads: its services, each executable read once however many services it runs.
struct Lookup {
    explicit Lookup(Platform& system) : cache(system) {}
    ExecutableCache cache;  // holds the icons until the list has its copies
    ListedNames listed;
    std::vector<FoundService> found;
};

// Adds one service, looked up from its name alone, unless the list has it already.
void AddService(Platform& system, const std::string& name, Lookup& lookup, const DependencyIcons& icons,
                std::vector<ServiceReadError>& readErrors) {
    if (name.empty() || !lookup.listed.insert(AsciiLower(name)).second) return;
    const ServiceEntry entry = ReadListedService(system, name, readErrors, &lookup.cache);
    const bool driver = IsDriver(entry.serviceType);
    const RawHandle icon = driver ? icons.driver : lookup.cache.IconOf(entry.executablePath);
    lookup.found.push_back(MakeFoundService(entry, icon ? icon : icons.defaultService));
}

}  // namespace

void ListDependencies(Platform& system, const std::string& serviceName, StateList& list,
                      const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors) {
    list.Clear();
    std::vector<uint8_t> value;
    {
        // Read rights only; the key goes before the services are looked up.
        RegistryKey key(system.registry, kHkeyLocalMachine);
        if (key.OpenKey(ServiceKeyPath(serviceName), kKeyRead) && key.ValueExists("DependOnService"))
            value = key.ReadBinaryData("DependOnService", std::numeric_limits<std::size_t>::max());
    }
    Lookup lookup(system);
    for (const std::string& name : DependOnServiceNames(value)) AddService(system, name, lookup, icons, readErrors);
    PlaceServices(list, lookup.found);
}

void ListDependents(Platform& system, const std::string& serviceName, StateList& list,
                    const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors) {
    list.Clear();
    ServiceEnumeration dependents;
    {
        IServiceControlManager& services = system.services;
        uint32_t error = 0;
        const ServiceHandle manager = services.OpenManager(kScManagerConnect, error);
        const ServiceHandle service =
            manager ? services.OpenServiceByName(manager.get(), serviceName, kServiceEnumerateDependents, error)
                    : ServiceHandle();
        uint32_t bufferSize = kDependentsBufferSize;
        for (int attempt = 0; service && attempt < kDependentsAttempts; ++attempt) {
            dependents = services.EnumerateDependents(service.get(), kServiceStateAll, bufferSize);
            // Too many for the buffer: ask again with the size the manager says it needs.
            if (dependents.error != kErrorMoreData || dependents.bytesNeeded <= bufferSize) break;
            bufferSize = dependents.bytesNeeded;
        }
    }
    Lookup lookup(system);
    if (dependents.error == 0) {
        for (const ServiceStatusRecord& record : dependents.records)
            if (record.serviceName) AddService(system, *record.serviceName, lookup, icons, readErrors);
    }
    PlaceServices(list, lookup.found);
}

DependencyLists LookUpDependencies(Platform system, const std::string& serviceName, const DependencyIcons& icons) {
    DependencyLists lists;
    const int iconSize = system.shell.IconSize();
    lists.dependencies.images = system.shell.CreateImageList(iconSize, iconSize);
    lists.dependents.images = system.shell.CreateImageList(iconSize, iconSize);
    using LookUp = void (*)(Platform&, const std::string&, StateList&, const DependencyIcons&,
                            std::vector<ServiceReadError>&);
    for (const auto& [lookup, list] : {std::pair<LookUp, StateList*>{&ListDependencies, &lists.dependencies},
                                       std::pair<LookUp, StateList*>{&ListDependents, &lists.dependents}}) {
        try {
            lookup(system, serviceName, *list, icons, lists.readErrors);
        } catch (const RegistryError& error) {
            list->Clear();
            lists.readErrors.push_back({serviceName, error.what()});
        }
    }
    // The states of the Win32 services in one enumeration; the manager is asked one by one only
    // of the others (drivers, and names it may not know).
    std::map<std::string, uint32_t> known;
    if (const std::optional<ServiceStates> all = ReadServiceStates(system))
        for (const auto& [name, state] : *all) known[AsciiLower(name)] = state;
    IServiceControlManager& services = system.services;
    uint32_t error = 0;
    const ServiceHandle manager = services.OpenManager(kScManagerConnect, error);
    for (const auto& [list, states] : {std::pair{&lists.dependencies, &lists.dependencyStates},
                                       std::pair{&lists.dependents, &lists.dependentStates}}) {
        for (const ServiceEntry& entry : list->entries) {
            ListedState state;
            if (const auto found = known.find(AsciiLower(entry.serviceName)); found != known.end()) {
                state.currentState = found->second;
            } else if (manager) {
                const ServiceHandle service =
                    services.OpenServiceByName(manager.get(), entry.serviceName, kServiceQueryStatus, error);
                ServiceStatus status;
                if (service && services.QueryStatus(service.get(), status) == 0) state.currentState = status.currentState;
                state.exists = service || error != kErrorServiceDoesNotExist;
            }
            states->push_back(state);
        }
    }
    return lists;
}

std::string DependencyDisplayText(const ServiceEntry& entry, const ListedState& state) {
    ServiceEntry shown = entry;
    if (!state.exists) shown.displayName = "（存在しません）";
    std::string text = MakeServiceDisplayText(shown);
    const std::string word = state.exists ? StateWord(state.currentState) : std::string();
    if (!word.empty()) text.insert(std::min(text.find("\r\n"), text.size()), "　（" + word + "）");
    return text;
}

}  // namespace rondel
