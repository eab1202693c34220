#include "toolkit/Color.h"

namespace rondel {

COLORREF ColorToRGB(TColor color) {
    if (color.IsSystemColor()) return ::GetSysColor(static_cast<int>(color.value & 0xFFu));
    return static_cast<COLORREF>(color.value & 0x00FFFFFFu);
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace rondel
