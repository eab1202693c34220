#include "control/StartType.h"

#include <array>

namespace rondel {

using namespace platform;

namespace {

// The drop-down list's items in order.
constexpr std::array<uint32_t, 3> kStartValueOfItem{kServiceAutoStart, kServiceDemandStart, kServiceDisabled};
constexpr int kDisabledItem = 2;

}  // namespace

std::optional<uint32_t> StartValueOfItem(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(kStartValueOfItem.size())) return std::nullopt;
    return kStartValueOfItem[static_cast<std::size_t>(itemIndex)];
}

int ItemOfStartValue(uint32_t startValue) {
    for (std::size_t item = 0; item < kStartValueOfItem.size(); ++item)
        if (kStartValueOfItem[item] == startValue) return static_cast<int>(item);
    return kDisabledItem;
}

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
