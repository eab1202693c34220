// What the details panel shows of the selected service beyond its list item: the registry's
// description and start type, and the current status. Read with read rights only, so that
// protected services, whose keys and handles refuse full access, show as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace rondel {

// What the details panel shows of a service beyond its list entry.
struct ServiceDetailsShown {
    std::string description;        // "Description", an indirect text resolved
    std::optional<int> startItem;   // the drop-down list's item; none when "Start" could not be read
    uint32_t controlsAccepted = 0;  // from the manager's status; 0 when it could not be had
    uint32_t currentState = 0;      // the same: SERVICE_STOPPED... or 0
    uint32_t processId = 0;         // the same: the process it runs in, or 0
    bool keyMissing = false;        // no key opens (a driver-less running device, a service deleted meanwhile)
};

// Reads the key's part of them (a key that does not open gives an empty description, no start
// item and keyMissing). A value the registry read refuses (a missing "Start", a "Description" or
// "Start" of the wrong kind) leaves its own field empty, without a start item, and its error in
// readError (the first one met); the other is read all the same. The status's part is left 0.
ServiceDetailsShown ReadRegistryDetailsShown(platform::Platform& system, const std::string& serviceName,
                                             std::string& readError);

// All of them: the key's part, then the manager's status.
ServiceDetailsShown ReadDetailsShown(platform::Platform& system, const std::string& serviceName,
                                     std::string& readError);

// A service's exact state as a word ("実行中", "停止処理中"...); empty for a state outside 1 to 7.
std::string StateWord(uint32_t currentState);

// The service's status as the manager reports it now; all zeros when it cannot be had.
platform::ServiceStatus QueryCurrentStatus(platform::Platform& system, const std::string& serviceName);

}  // namespace rondel
