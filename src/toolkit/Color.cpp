#include "toolkit/Color.h"

namespace rondel {

COLORREF ColorToRGB(TColor color) {
    if (color.IsSystemColor()) return ::GetSysColor(static_cast<int>(color.value & 0xFFu));
    return static_cast<COLORREF>(color.value & 0x00FFFFFFu);
}

}  // namespace rondel
