#include "control/ServiceRestart.h"

#include <algorithm>

namespace rondel {

using namespace platform;

namespace {

RestartOutcome Failed(RestartStep step, uint32_t error) { return RestartOutcome{step, error, false}; }

}  // namespace

RestartOutcome RestartService(Platform& system, const std::string& serviceName, const RestartPacing& pacing) {
    IServiceControlManager& services = system.services;
    uint32_t error = 0;
    const ServiceHandle manager = services.OpenManager(kScManagerConnect, error);
    if (!manager) return Failed(RestartStep::Stop, error);
    const ServiceHandle service = services.OpenServiceByName(
        manager.get(), serviceName, kServiceStop | kServiceStart | kServiceQueryStatus, error);
    if (!service) return Failed(RestartStep::Stop, error);

    pacing.progress(RestartStep::Stop);
    ServiceStatus status{};
    error = services.Control(service.get(), kServiceControlStop, status);
    if (error != 0) return Failed(RestartStep::Stop, error);

    pacing.progress(RestartStep::WaitForStop);
    const uint64_t begin = pacing.nowMs();
    uint64_t deadline = 0;
    ServiceStatus last{};
    bool first = true;
    for (;;) {
        error = services.QueryStatus(service.get(), status);
        if (error != 0) return Failed(RestartStep::WaitForStop, error);
        if (status.currentState == kServiceStopped) break;
        const uint64_t now = pacing.nowMs();
        if (first || status.checkPoint != last.checkPoint || status.currentState != last.currentState)
            deadline = now + std::max(status.waitHint, kRestartLeastWaitHintMs);
        first = false;
        last = status;
        if (now >= deadline || now - begin >= kRestartWaitLimitMs) {
            RestartOutcome outcome = Failed(RestartStep::WaitForStop, 0);
            outcome.timedOut = true;
            return outcome;
        }
        pacing.sleep(std::clamp<uint32_t>(status.waitHint / 10, 100, 500));
    }

    pacing.progress(RestartStep::Start);
    error = services.Start(service.get());
    if (error != 0) return Failed(RestartStep::Start, error);
    return RestartOutcome{};
}

}  // namespace rondel
