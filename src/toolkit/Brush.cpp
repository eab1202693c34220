#include "toolkit/Brush.h"

namespace rondel {

void TBrush::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    handle_.reset();
}

HBRUSH TBrush::Handle() const {
    // A system colour may have changed since the brush was made.
    const COLORREF rgb = ColorToRGB(color_);
    if (!handle_ || madeFor_ != rgb) {
        handle_.reset(::CreateSolidBrush(rgb));
        madeFor_ = rgb;
    }
    return handle_.get();
}

}  // namespace rondel
