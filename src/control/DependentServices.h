// Stopping a service together with the services that depend on it, and restarting them all:
// which services those are, and the sequence of stops (and starts) with its waits. GUI-free; the
// session runs the sequence on its worker and hears of each step.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "control/ServiceRestart.h"
#include "platform/Platform.h"

namespace rondel {

// Which services each service depends on ("DependOnService"), by its name.
using DependsOnMap = std::map<std::string, std::vector<std::string>>;

// The services that must stop before serviceName can: those that depend on it at any level
// (names compared with ASCII letters in any case) and are running (running says which are),
// each once, the deepest first, so that none stops before what depends on it. A cycle of
// dependencies ends where it comes back.
std::vector<std::string> DependentsToStop(const std::string& serviceName, const DependsOnMap& dependsOn,
                                          const std::function<bool(const std::string&)>& running);

// One step of a sequence, as its progress tells it.
struct SequenceStep {
    std::string serviceName;
    bool starting = false;  // a start (of a restart's), else a stop
    int number = 0;         // 1 for the first step
    int count = 0;          // of count steps in all
};

// How a sequence ended: done, or the service whose stop or start was refused (error) or did not
// end in time (timedOut).
struct SequenceOutcome {
    bool done = true;
    std::string serviceName;
    bool starting = false;
    uint32_t error = 0;
    bool timedOut = false;
    bool operator==(const SequenceOutcome&) const = default;
};

// Stops the dependents in the order given, then the service, each waited for by the restart's
// rule; with restart, then starts the service and the dependents again in the reverse order, each
// waited for until it runs. A dependent that stopped meanwhile is passed over. The first refusal
// or time-out ends the sequence.
SequenceOutcome StopWithDependents(platform::Platform& system, const std::string& serviceName,
                                   const std::vector<std::string>& dependents, bool restart,
                                   const RestartPacing& pacing, const std::function<void(const SequenceStep&)>& progress);

}  // namespace rondel
