#include "toolkit/Bitmap.h"

#include <algorithm>

namespace rondel {

TBitmap::TBitmap(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap_) {
        bits_ = static_cast<DWORD*>(bits);
        previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    canvas_.SetHandle(dc_.get());
}

TBitmap::~TBitmap() {
    // The bitmap can only be deleted once the DC lets go of it.
    if (previous_ != nullptr) ::SelectObject(dc_.get(), previous_);
}

}  // namespace rondel
