// What the program's forms share: their icon, and the sizes of their form descriptions, which
// hold whatever font the machine puts in place of the forms' own, so the layouts' numbers do too.
#pragma once

namespace rondel {

inline constexpr int kProgramIconId = 1;
inline constexpr int kLabelHeight = 12;
inline constexpr int kPanelButtonWidth = 88;
inline constexpr int kPanelButtonHeight = 31;
inline constexpr int kStatusBarHeight = 19;

}  // namespace rondel
