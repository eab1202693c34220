#include "toolkit/Pen.h"

namespace rondel {

void TPen::Assign(const TPen& other) {
    SetColor(other.color_);
    SetWidth(other.width_);
    mode_ = other.mode_;
}

void TPen::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    handle_.reset();
}

void TPen::SetWidth(int width) {
    if (width_ == width) return;
    width_ = width;
    handle_.reset();
}

HPEN TPen::Handle() const {
    const COLORREF rgb = ColorToRGB(color_);
    if (!handle_ || madeFor_ != rgb) {
        handle_.reset(::CreatePen(PS_SOLID, width_, rgb));
        madeFor_ = rgb;
    }
    return handle_.get();
}

}  // namespace rondel
