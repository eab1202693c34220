// A font as the forms describe it: name, height, character set, colour and style. The GDI font
// is made when it is first asked for and made again after a change of the attributes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/Win32Handles.h"
#include "toolkit/Color.h"

namespace rondel {

enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3,
};
using TFontStyles = unsigned;

// The screen's pixels per inch (the system's DPI), which a font of a control without a window
// yet is made for.
int ScreenPixelsPerInch();

class TFont {
public:
    // The program's default face: "ＭＳ Ｐゴシック", height -12, Shift-JIS, clWindowText, for the
    // screen's pixels per inch.
    TFont();
    // Copies take the attributes only: each font owns its own GDI object and observer.
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);
    void Assign(const TFont& other);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Negative: the character height in pixels; positive: the cell height. In pixels at 96 DPI:
    // the GDI font is made that times PixelsPerInch / 96.
    int Height() const { return height_; }
    void SetHeight(int height);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int pixelsPerInch);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    // The text colour; it is not part of the GDI font, so changing it keeps the handle.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    // Valid until the next change of name, height, character set or style.
    HFONT Handle() const;

    // Told after every change, e.g. so that a window takes the new font.
    std::function<void()> OnChange;

private:
    void Changed(bool handleChanged);

    std::string name_;
    int height_;
    BYTE charset_;
    int pixelsPerInch_;
    TColor color_;
    TFontStyles style_ = 0;
    mutable unique_hfont handle_;
};

}  // namespace rondel
