#include "control/ServiceRestart.h"

#include <algorithm>

namespace rondel {

using namespace platform;

namespace {

RestartOutcome Failed(RestartStep step, uint32_t error) { return RestartOutcome{step, error, false}; }

}  // namespace

WaitOutcome WaitForState(IServiceControlManager& services, RawHandle service, uint32_t wanted, const RestartPacing& pacing) {
    const uint64_t begin = pacing.nowMs();
    uint64_t deadline = 0;
    ServiceStatus status{};
    ServiceStatus last{};
    bool first = true;
    for (;;) {
        const uint32_t error = services.QueryStatus(service, status);
        if (error != 0) return WaitOutcome{error, false};
        if (status.currentState == wanted) return WaitOutcome{};
        if (wanted == kServiceRunning && status.currentState == kServiceStopped && !first)
            return WaitOutcome{status.win32ExitCode != 0 ? status.win32ExitCode : kErrorServiceSpecificError, false};
        const uint64_t now = pacing.nowMs();
        if (first || status.checkPoint != last.checkPoint || status.currentState != last.currentState)
            deadline = now + std::max(status.waitHint, kRestartLeastWaitHintMs);
        first = false;
        last = status;
        if (now >= deadline || now - begin >= kRestartWaitLimitMs) return WaitOutcome{0, true};
        pacing.sleep(std::clamp<uint32_t>(status.waitHint / 10, 100, 500));
    }
}

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
    const WaitOutcome waited = WaitForState(services, service.get(), kServiceStopped, pacing);
    if (waited.error != 0 || waited.timedOut) return RestartOutcome{RestartStep::WaitForStop, waited.error, waited.timedOut};

    pacing.progress(RestartStep::Start);
    error = services.Start(service.get());
    if (error != 0) return Failed(RestartStep::Start, error);
    return RestartOutcome{};
}

}  // namespace rondel
