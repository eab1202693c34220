// The layout's numbers are written for 96 pixels per inch; a window on a screen of another
// density takes each of them times its DPI / 96, rounded as MulDiv rounds (halves away from
// zero), so that 96 DPI leaves every number as it is. Pure: no <windows.h>.
#pragma once

namespace rondel {

inline constexpr int kDesignDpi = 96;

constexpr int ScaleForDpi(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : (product - half) / kDesignDpi);
}

}  // namespace rondel
