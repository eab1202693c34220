// A drawing surface over a device context that someone else owns: the owner-draw DC of a
// paint, a window's DC, or an off-screen image's memory DC.
//
// The canvas selects its font, brush and pen only for the one call that needs them and puts
// the DC's own objects back afterwards, so a font or colour change never deletes a GDI object
// that is still selected somewhere.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "toolkit/Brush.h"
#include "toolkit/Font.h"
#include "toolkit/Pen.h"

namespace rondel {

class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) : dc_(dc) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    // The raster operation of CopyRect (SRCCOPY by default).
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD mode) { copyMode_ = mode; }

    // Fills with the brush; right and bottom edges excluded, as FillRect does.
    void FillRect(const RECT& rect);
    // One run of text at (x, y): no tab expansion, no wrapping, no clipping rectangle. The text
    // takes the font's colour, its cells the brush's colour.
    void TextOut(int x, int y, std::string_view text);
    // Measured in the font; the height is the font's line height whatever the text.
    SIZE TextExtent(std::string_view text) const;
    int TextWidth(std::string_view text) const { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) const { return TextExtent(text).cy; }
    // With the pen; the last point is not painted.
    void Polyline(std::span<const POINT> points);
    void DrawFocusRect(const RECT& rect);
    // Copies source's rectangle onto dest here, stretching when the sizes differ.
    void CopyRect(const RECT& dest, const TCanvas& source, const RECT& sourceRect);

private:
    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    DWORD copyMode_ = SRCCOPY;
};

// Puts a canvas on a DC for one scope and takes it off again, however the scope is left.
class TCanvasBinding {
public:
    TCanvasBinding(TCanvas& canvas, HDC dc) : canvas_(canvas), previous_(canvas.Handle()) { canvas.SetHandle(dc); }
    TCanvasBinding(const TCanvasBinding&) = delete;
    TCanvasBinding& operator=(const TCanvasBinding&) = delete;
    ~TCanvasBinding() { canvas_.SetHandle(previous_); }

private:
    TCanvas& canvas_;
    HDC previous_;
};

}  // namespace rondel
