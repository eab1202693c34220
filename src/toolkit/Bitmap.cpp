#include "toolkit/Bitmap.h"

#include <algorithm>

namespace rondel {

TBitmap::TBitmap(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), dc_(::CreateCompatibleDC(nullptr)) {
    bitmap_ = CreatePixelBitmap(dc_.get(), width_, height_, &bits_);
    if (bitmap_) selection_.emplace(dc_.get(), bitmap_.get());
    canvas_.SetHandle(dc_.get());
}

}  // namespace rondel
