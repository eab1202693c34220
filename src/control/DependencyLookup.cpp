#include "control/DependencyLookup.h"

#include <algorithm>
#include <limits>
#include <set>

#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "toolkit/RegistryKey.h"
#include "utilities/AnsiText.h"

namespace rondel {

using namespace platform;

namespace {

constexpr uint32_t kDependentsBufferSize = 9216;
// A list that keeps growing between two requests is asked again a few times, never forever.
constexpr int kDependentsAttempts = 4;

bool IsDriver(uint32_t serviceType) {
    return (serviceType & (kServiceKernelDriver | kServiceFileSystemDriver | kServiceRecognizerDriver)) != 0;
}

// The names listed so far, ASCII letters lowered. Kept beside the list rather than split back
// out of its items: a name holding a TAB or a line break does not come back out whole.
using ListedNames = std::set<std::string>;

// Appends one service, looked up from its name alone, unless the list has it already.
void AddService(Platform& system, const std::string& name, StateList& list, ListedNames& listed,
                const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors) {
    if (name.empty() || !listed.insert(AsciiLower(name)).second) return;
    const ServiceEntry entry = ReadListedService(system, name, readErrors);
    IconHandle icon;
    if (!IsDriver(entry.serviceType)) LoadServiceIcon(system, entry, icon);
    const RawHandle shown = IsDriver(entry.serviceType) ? icons.driver : (icon ? icon.get() : icons.defaultService);
    list.images->AddIcon(shown);
    list.items.push_back(MakeServiceItem(entry));
}

void Clear(StateList& list) {
    list.items.clear();
    list.images->Clear();
}

}  // namespace

std::vector<std::string> DependOnServiceNames(std::span<const uint8_t> value) {
    std::vector<std::string> names;
    std::size_t offset = 0;
    while (offset < value.size()) {
        const auto begin = value.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = std::find(begin, value.end(), uint8_t{0});
        if (end == begin) break;
        names.emplace_back(begin, end);
        offset += names.back().size() + 1;
    }
    return names;
}

void ListDependencies(Platform& system, const std::string& serviceName, StateList& list,
                      const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors) {
    Clear(list);
    std::vector<uint8_t> value;
    {
        // Read rights only; the key goes before the services are looked up.
        RegistryKey key(system.registry, kHkeyLocalMachine);
        if (key.OpenKey(ServiceKeyPath(serviceName), kKeyRead) && key.ValueExists("DependOnService"))
            value = key.ReadBinaryData("DependOnService", std::numeric_limits<std::size_t>::max());
    }
    ListedNames listed;
    for (const std::string& name : DependOnServiceNames(value))
        AddService(system, name, list, listed, icons, readErrors);
    SortStateList(list.items, *list.images);
}

void ListDependents(Platform& system, const std::string& serviceName, StateList& list,
                    const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors) {
    Clear(list);
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
    if (dependents.error == 0) {
        ListedNames listed;
        for (const ServiceStatusRecord& record : dependents.records)
            if (record.serviceName) AddService(system, *record.serviceName, list, listed, icons, readErrors);
    }
    SortStateList(list.items, *list.images);
}

DependencyLists LookUpDependencies(Platform system, const std::string& serviceName, const DependencyIcons& icons) {
    DependencyLists lists{{{}, system.shell.CreateImageList(32, 32)}, {{}, system.shell.CreateImageList(32, 32)}, {}};
    using Lookup = void (*)(Platform&, const std::string&, StateList&, const DependencyIcons&,
                            std::vector<ServiceReadError>&);
    for (const auto& [lookup, list] : {std::pair<Lookup, StateList*>{&ListDependencies, &lists.dependencies},
                                       std::pair<Lookup, StateList*>{&ListDependents, &lists.dependents}}) {
        try {
            lookup(system, serviceName, *list, icons, lists.readErrors);
        } catch (const RegistryError& error) {
            list->items.clear();
            list->images->Clear();
            lists.readErrors.push_back({serviceName, error.what()});
        }
    }
    return lists;
}

}  // namespace rondel
