#include "catalogue/StartTypeItems.h"

#include "platform/WinConstants.h"

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

}  // namespace rondel
