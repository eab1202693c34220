// A solid pen: colour, width and the mix mode it draws with.
#pragma once

#include <windows.h>

#include "platform/Win32Handles.h"
#include "toolkit/Color.h"

namespace rondel {

class TPen {
public:
    TPen() = default;
    TPen(const TPen& other) : color_(other.color_), width_(other.width_), mode_(other.mode_) {}
    TPen& operator=(const TPen& other) {
        Assign(other);
        return *this;
    }
    void Assign(const TPen& other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    // A binary raster operation (R2_COPYPEN, R2_XORPEN...), set on the DC while drawing.
    int Mode() const { return mode_; }
    void SetMode(int mode) { mode_ = mode; }

    // Valid until the next change of colour or width.
    HPEN Handle() const;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    int mode_ = R2_COPYPEN;
    mutable unique_hpen handle_;
    mutable COLORREF madeFor_ = 0;
};

}  // namespace rondel
