// An off-screen image: a 32-bit bitmap selected into its own memory DC, with a canvas on it.
// The pixels do not depend on the display's colour depth, so what is composed here is what
// gets copied to the screen.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/PixelBitmap.h"
#include "platform/Win32Handles.h"
#include "toolkit/Canvas.h"

namespace rondel {

class TBitmap {
public:
    // An empty size still gets a 1×1 bitmap, so the canvas always draws somewhere.
    TBitmap(int width, int height);
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    TCanvas& Canvas() { return canvas_; }
    const TCanvas& Canvas() const { return canvas_; }
    HBITMAP Handle() const { return bitmap_.get(); }
    // 0x00RRGGBB words, top row first, Width() per row; null when the bitmap could not be made.
    const DWORD* Pixels() const { return bits_; }

private:
    int width_;
    int height_;
    unique_hdc dc_;
    unique_hbitmap bitmap_;
    // Declared after the bitmap: the DC lets go of it before it is deleted.
    std::optional<selected_object> selection_;
    DWORD* bits_ = nullptr;
    TCanvas canvas_;
};

}  // namespace rondel
