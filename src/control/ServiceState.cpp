#include "control/ServiceState.h"

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"
#include "control/StartType.h"

namespace rondel {

using namespace platform;

ServiceDetailsShown ReadRegistryDetailsShown(Platform& system, const std::string& serviceName,
                                             std::string& readError) {
    ServiceDetailsShown shown;
    {
        RegistryKey key(system.registry, kHkeyLocalMachine);
        shown.keyMissing = !key.OpenKey(ServiceKeyPath(serviceName), kKeyRead);
        if (!shown.keyMissing) {
            const auto note = [&readError](const RegistryError& error) {
                if (readError.empty()) readError = error.what();
            };
            try {
                shown.description = ResolveIndirectString(system.shell, key.ReadString("Description"));
            } catch (const RegistryError& error) {
                note(error);
            }
            try {
                shown.startItem = ItemOfStartValue(static_cast<uint32_t>(key.ReadInteger("Start")));
            } catch (const RegistryError& error) {
                note(error);
            }
        }
    }
    return shown;
}

ServiceDetailsShown ReadDetailsShown(Platform& system, const std::string& serviceName, std::string& readError) {
    ServiceDetailsShown shown = ReadRegistryDetailsShown(system, serviceName, readError);
    const ServiceStatus status = QueryCurrentStatus(system, serviceName);
    shown.controlsAccepted = status.controlsAccepted;
    shown.currentState = status.currentState;
    shown.processId = status.processId;
    return shown;
}

std::string StateWord(uint32_t currentState) {
    constexpr const char* kWords[] = {"停止", "開始処理中", "停止処理中", "実行中", "再開処理中", "一時停止処理中", "一時停止"};
    return currentState >= 1 && currentState <= 7 ? kWords[currentState - 1] : "";
}

ServiceStatus QueryCurrentStatus(Platform& system, const std::string& serviceName) {
    IServiceControlManager& services = system.services;
    uint32_t error = 0;
    // Declared in this order so that the service handle is closed before the manager's.
    const ServiceHandle manager = services.OpenManager(kScManagerConnect | kScManagerEnumerateService, error);
    if (!manager) return {};
    const ServiceHandle service = services.OpenServiceByName(manager.get(), serviceName, kServiceQueryStatus, error);
    if (!service) return {};
    ServiceStatus status;
    if (services.QueryStatus(service.get(), status) != 0) return {};
    return status;
}

}  // namespace rondel
