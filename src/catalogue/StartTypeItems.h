// The start types the program shows: the drop-down list's items "自動", "手動", "無効" (index 0,
// 1, 2) against the values stored as "Start".
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace rondel {

// The drop-down list's items, in their order.
inline constexpr std::array<const char*, 3> kStartTypeItems{"自動", "手動", "無効"};

// 0 -> automatic (2), 1 -> manual (3), 2 -> disabled (4); no value for any other index.
std::optional<uint32_t> StartValueOfItem(int itemIndex);

// The item that shows a stored value. Boot and system start (0, 1, drivers only) and values
// the list does not know show as "無効".
int ItemOfStartValue(uint32_t startValue);

}  // namespace rondel
