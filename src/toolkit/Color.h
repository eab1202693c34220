// Colours as the forms give them: an RGB value, or a reference to a system colour that is
// looked up each time something is painted, so a change of the system's scheme shows at once.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rondel {

// 0x00BBGGRR, or 0x80000000 plus a COLOR_ index.
struct TColor {
    std::uint32_t value = 0;

    constexpr bool IsSystemColor() const { return (value & 0xFF000000u) == 0x80000000u; }
    friend constexpr bool operator==(TColor, TColor) = default;
};

constexpr TColor SystemColor(int index) { return TColor{0x80000000u | static_cast<std::uint32_t>(index)}; }

// The COLORREF to paint with: a system colour reference is resolved with GetSysColor.
COLORREF ColorToRGB(TColor color);

// The system's high-contrast setting is on (SPI_GETHIGHCONTRAST; Wine 8 always answers off).
bool HighContrastOn();

inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);                // 0x80000005
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);        // 0x80000008
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);          // 0x8000000D
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);  // 0x8000000E
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);              // 0x8000000F
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);          // 0x80000010
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);              // 0x80000012
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);    // 0x80000014
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);            // 0x8000001A

inline constexpr TColor clBlack{0x00000000};
inline constexpr TColor clWhite{0x00FFFFFF};
inline constexpr TColor clGreen{0x00008000};
inline constexpr TColor clMoneyGreen{0x00C0DCC0};
inline constexpr TColor clSkyBlue{0x00F0CAA6};

}  // namespace rondel
