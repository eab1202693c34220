#include "control/DependentServices.h"

#include <set>

#include "text/AnsiText.h"

namespace rondel {

using namespace platform;

std::vector<std::string> DependentsToStop(const std::string& serviceName, const DependsOnMap& dependsOn,
                                          const std::function<bool(const std::string&)>& running) {
    // Who depends on whom, the other way round.
    std::map<std::string, std::vector<std::string>> dependents;
    for (const auto& [name, dependencies] : dependsOn)
        for (const std::string& dependency : dependencies) dependents[AsciiLower(dependency)].push_back(name);

    std::vector<std::string> order;
    std::set<std::string> seen{AsciiLower(serviceName)};
    // Depth first: what depends on a dependent comes before it.
    const std::function<void(const std::string&)> visit = [&](const std::string& name) {
        const auto found = dependents.find(AsciiLower(name));
        if (found == dependents.end()) return;
        for (const std::string& dependent : found->second) {
            if (!seen.insert(AsciiLower(dependent)).second) continue;
            visit(dependent);
            if (running(dependent)) order.push_back(dependent);
        }
    };
    visit(serviceName);
    return order;
}

namespace {

SequenceOutcome Refused(const std::string& serviceName, bool starting, uint32_t error, bool timedOut = false) {
    return SequenceOutcome{false, serviceName, starting, error, timedOut};
}

// One service stopped, or started, and waited for.
SequenceOutcome Step(Platform& system, const std::string& serviceName, bool starting, bool passOverStopped,
                     const RestartPacing& pacing) {
    IServiceControlManager& services = system.services;
    uint32_t error = 0;
    const ServiceHandle manager = services.OpenManager(kScManagerConnect, error);
    if (!manager) return Refused(serviceName, starting, error);
    const ServiceHandle service = services.OpenServiceByName(
        manager.get(), serviceName, (starting ? kServiceStart : kServiceStop) | kServiceQueryStatus, error);
    if (!service) return Refused(serviceName, starting, error);
    if (starting) {
        error = services.Start(service.get());
    } else {
        ServiceStatus status{};
        error = services.Control(service.get(), kServiceControlStop, status);
        // Stopped meanwhile (by another hand, or as a dependency went): nothing to do.
        if (error == kErrorServiceNotActive && passOverStopped) return SequenceOutcome{};
    }
    if (error != 0) return Refused(serviceName, starting, error);
    const WaitOutcome waited = WaitForState(services, service.get(), starting ? kServiceRunning : kServiceStopped, pacing);
    if (waited.error != 0 || waited.timedOut) return Refused(serviceName, starting, waited.error, waited.timedOut);
    return SequenceOutcome{};
}

}  // namespace

SequenceOutcome StopWithDependents(Platform& system, const std::string& serviceName,
                                   const std::vector<std::string>& dependents, bool restart,
                                   const RestartPacing& pacing, const std::function<void(const SequenceStep&)>& progress) {
    std::vector<std::string> stops = dependents;
    stops.push_back(serviceName);
    const int count = static_cast<int>(restart ? stops.size() * 2 : stops.size());
    int number = 0;
    for (const std::string& name : stops) {
        progress({name, false, ++number, count});
        const SequenceOutcome outcome = Step(system, name, false, name != serviceName, pacing);
        if (!outcome.done) return outcome;
    }
    if (!restart) return SequenceOutcome{};
    for (auto name = stops.rbegin(); name != stops.rend(); ++name) {
        progress({*name, true, ++number, count});
        const SequenceOutcome outcome = Step(system, *name, true, false, pacing);
        if (!outcome.done) return outcome;
    }
    return SequenceOutcome{};
}

}  // namespace rondel
