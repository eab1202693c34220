// The DC of a window's client area, for painting outside the system's paint cycle.
#pragma once

#include <windows.h>

namespace rondel {

class TWindowDC {
public:
    explicit TWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    ~TWindowDC() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace rondel
