// The services one service depends on (its registry value "DependOnService") and the services
// that depend on it (as the Service Control Manager enumerates them), each looked up in full
// like the catalogue's entries, with icons, and sorted by display name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceDetails.h"
#include "platform/Platform.h"

namespace rondel {

// A kernel, file-system or recognizer driver: listed with the driver icon, never shown in the
// main window.
bool IsDriver(uint32_t serviceType);

// The icons a list shows for drivers and for services without an icon of their own.
struct DependencyIcons {
    platform::RawHandle driver = 0;
    platform::RawHandle defaultService = 0;
};

// Empties list, then fills it with the services named in the service's "DependOnService":
// each name once (ASCII letters in any case), spelled as met first; drivers with the driver
// icon; names without a key with empty texts and the default icon. Sorted by display name.
// Registry errors of the listed services are written down in readErrors (see ReadListedService).
// A value of a string or integer type raises RegistryError (the list stays empty).
void ListDependencies(platform::Platform& system, const std::string& serviceName, StateList& list,
                      const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors);

// Empties list, then fills it with every service, in any state, that depends on the service,
// however many there are. Sorted by display name.
void ListDependents(platform::Platform& system, const std::string& serviceName, StateList& list,
                    const DependencyIcons& icons, std::vector<ServiceReadError>& readErrors);

// What the manager says of a listed service: its exact state, or that it does not exist.
struct ListedState {
    uint32_t currentState = 0;  // 0 when it could not be asked
    bool exists = true;         // false: the manager knows no service of the name (1060)
    bool operator==(const ListedState&) const = default;
};

// Both lists of one service, as the dependencies window shows them.
struct DependencyLists {
    StateList dependencies;  // the services it depends on
    StateList dependents;    // the services that depend on it
    // What the manager said of each entry, in the lists' order.
    std::vector<ListedState> dependencyStates;
    std::vector<ListedState> dependentStates;
    // What the lookups met: the listed services' registry errors, and a list's own error (its
    // list then stays empty; the other is looked up all the same).
    std::vector<ServiceReadError> readErrors;
};

// Looks both lists up, each with an image list of its own, and what the manager says of each
// listed service.
DependencyLists LookUpDependencies(platform::Platform system, const std::string& serviceName,
                                   const DependencyIcons& icons);

// How the dependencies window shows a listed service: the three lines of its display text, its
// state after the first ("…（実行中）"), and a service that does not exist as such
// ("[ name ] （存在しません）").
std::string DependencyDisplayText(const ServiceEntry& entry, const ListedState& state);

}  // namespace rondel
