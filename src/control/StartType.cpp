#include "control/StartType.h"

namespace rondel {

using namespace platform;

uint32_t ChangeStartType(Platform& system, const std::string& serviceName, uint32_t startValue) {
    IServiceControlManager& services = system.services;
    uint32_t error = 0;
    // Declared in this order so that the service handle is closed before the manager's.
    const ServiceHandle manager = services.OpenManager(kScManagerConnect, error);
    if (!manager) return error != 0 ? error : kErrorInvalidHandle;
    const ServiceHandle service = services.OpenServiceByName(manager.get(), serviceName, kServiceChangeConfig, error);
    if (!service) return error != 0 ? error : kErrorInvalidHandle;
    return services.ChangeStartType(service.get(), startValue);
}

}  // namespace rondel
