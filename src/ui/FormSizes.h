// What the program's forms share: their icon, and the sizes of their form descriptions, which
// hold whatever font the machine puts in place of the forms' own, so the layouts' numbers do too.
#pragma once

namespace rondel {

inline constexpr int kProgramIconId = 1;
inline constexpr int kLabelHeight = 12;
inline constexpr int kPanelButtonWidth = 88;
inline constexpr int kPanelButtonHeight = 31;
inline constexpr int kStatusBarHeight = 19;

// The main window's own sizes.
inline constexpr int kEditHeight = 20;
inline constexpr int kCommandButtonWidth = 120;
inline constexpr int kCommandButtonHeight = 25;
inline constexpr int kButtonBarHeight = 28;
inline constexpr int kFilterBarHeight = 24;
inline constexpr int kStartListWidth = 89;
// Tall enough for the three items when the list is open.
inline constexpr int kStartListOpenHeight = 120;

}  // namespace rondel
