// A solid fill colour with its GDI brush, made on demand and again after a colour change.
#pragma once

#include <windows.h>

#include "platform/Win32Handles.h"
#include "toolkit/Color.h"

namespace rondel {

class TBrush {
public:
    TBrush() = default;
    explicit TBrush(TColor color) : color_(color) {}
    TBrush(const TBrush& other) : color_(other.color_) {}
    TBrush& operator=(const TBrush& other) {
        SetColor(other.color_);
        return *this;
    }
    void Assign(const TBrush& other) { SetColor(other.color_); }

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // Valid until the next colour change.
    HBRUSH Handle() const;

private:
    TColor color_ = clWhite;
    mutable unique_hbrush handle_;
    mutable COLORREF madeFor_ = 0;
};

}  // namespace rondel
