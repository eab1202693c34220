#include "toolkit/Bitmap.h"

#include <algorithm>

namespace rondel {

unique_hbitmap CreatePixelBitmap(HDC dc, int width, int height, DWORD** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    *bits = bitmap ? static_cast<DWORD*>(pixels) : nullptr;
    return bitmap;
}

TBitmap::TBitmap(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), dc_(::CreateCompatibleDC(nullptr)) {
    bitmap_ = CreatePixelBitmap(dc_.get(), width_, height_, &bits_);
    if (bitmap_) previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    canvas_.SetHandle(dc_.get());
}

TBitmap::~TBitmap() {
    // The bitmap can only be deleted once the DC lets go of it.
    if (previous_ != nullptr) ::SelectObject(dc_.get(), previous_);
}

}  // namespace rondel
