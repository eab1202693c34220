// What the details panel shows of the selected service beyond its list item: the registry's
// description and start type, and the current status. Read with read rights only, so that
// protected services, whose keys and handles refuse full access, show as well.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace rondel {

struct ServiceRegistryDetails {
    std::string description;  // "Description", an indirect "@file,-id" text resolved
    uint32_t startValue = 0;  // "Start"
};

// From "\SYSTEM\CurrentControlSet\Services\<name>" under HKEY_LOCAL_MACHINE. A key that does
// not open gives an empty description and start value 0. A Description of the wrong kind, or a
// Start that is missing or of the wrong kind, raises RegistryError.
ServiceRegistryDetails ReadServiceRegistryDetails(platform::Platform& system, const std::string& serviceName);

// The service's status as the manager reports it now; all zeros when it cannot be had.
platform::ServiceStatus QueryCurrentStatus(platform::Platform& system, const std::string& serviceName);

}  // namespace rondel
