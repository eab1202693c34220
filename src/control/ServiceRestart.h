// Restarting a service: stop it, wait until it has stopped, start it. GUI-free; the main window
// runs it on its worker and hears of each step through the pacing's progress.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"

namespace rondel {

enum class RestartStep { Stop, WaitForStop, Start, Done };

// How a restart ended: Done, or the step that failed with its error code. A wait that ran out
// of time has timedOut set.
struct RestartOutcome {
    RestartStep step = RestartStep::Done;
    uint32_t error = 0;
    bool timedOut = false;
    bool operator==(const RestartOutcome&) const = default;
};

// The clock, the pause between two status queries, and the news of each step. A restart once
// begun is carried through: a service is never left stopped because nobody waits any more.
struct RestartPacing {
    std::function<uint64_t()> nowMs;
    std::function<void(uint32_t ms)> sleep;
    std::function<void(RestartStep)> progress = [](RestartStep) {};
};

// The longest wait for a service to stop, whatever its wait hints say.
inline constexpr uint32_t kRestartWaitLimitMs = 60000;
// The wait hint a service that gives none (or a shorter one) is held to.
inline constexpr uint32_t kRestartLeastWaitHintMs = 1000;

// How a wait for a service's state ended: reached (both zero), a status that could not be had or
// a service that stopped while it was waited for to run (error), or no progress in time.
struct WaitOutcome {
    uint32_t error = 0;
    bool timedOut = false;
};

// Queries the status of the service (opened with query rights) until it is in state wanted.
// While it makes progress (its check point or state changes) it gets its wait hint again; the
// wait ends with a time-out when it makes none within its hint or after kRestartWaitLimitMs in
// all. A service waited for to run that stops instead ends the wait with its exit code (1066,
// a service-specific error, when it gives none).
WaitOutcome WaitForState(platform::IServiceControlManager& services, platform::RawHandle service, uint32_t wanted,
                         const RestartPacing& pacing);

// Stops the service (a service with running dependents is refused by the manager, as a stop
// is), then queries its status until it reports stopped (WaitForState). While it makes progress (its check
// point or state changes) it gets its wait hint again; the wait ends with a time-out when it
// makes none within its hint or after kRestartWaitLimitMs in all. Then starts it.
RestartOutcome RestartService(platform::Platform& system, const std::string& serviceName,
                              const RestartPacing& pacing);

}  // namespace rondel
