#include "toolkit/Font.h"

#include <algorithm>
#include <cstring>

#include "toolkit/DpiScale.h"

namespace rondel {

int ScreenPixelsPerInch() {
    // The system's DPI stays what it was at the program's start until the user signs out.
    static const int pixelsPerInch = [] {
        const HDC screen = ::GetDC(nullptr);
        const int asked = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen != nullptr) ::ReleaseDC(nullptr, screen);
        return asked > 0 ? asked : kDesignDpi;
    }();
    return pixelsPerInch;
}

TFont::TFont()
    : name_("ＭＳ Ｐゴシック"), height_(-12), charset_(SHIFTJIS_CHARSET), pixelsPerInch_(ScreenPixelsPerInch()),
      color_(clWindowText) {}

TFont::TFont(const TFont& other)
    : name_(other.name_), height_(other.height_), charset_(other.charset_), pixelsPerInch_(other.pixelsPerInch_),
      color_(other.color_), style_(other.style_) {}

TFont& TFont::operator=(const TFont& other) {
    Assign(other);
    return *this;
}

void TFont::Assign(const TFont& other) {
    if (this == &other) return;
    const bool handleChanged = name_ != other.name_ || height_ != other.height_ ||
                               charset_ != other.charset_ || style_ != other.style_ ||
                               pixelsPerInch_ != other.pixelsPerInch_;
    const bool colorChanged = color_ != other.color_;
    name_ = other.name_;
    height_ = other.height_;
    charset_ = other.charset_;
    pixelsPerInch_ = other.pixelsPerInch_;
    style_ = other.style_;
    color_ = other.color_;
    if (handleChanged || colorChanged) Changed(handleChanged);
}

void TFont::SetName(const std::string& name) {
    if (name_ == name) return;
    name_ = name;
    Changed(true);
}

void TFont::SetHeight(int height) {
    if (height_ == height) return;
    height_ = height;
    Changed(true);
}

void TFont::SetPixelsPerInch(int pixelsPerInch) {
    if (pixelsPerInch_ == pixelsPerInch || pixelsPerInch <= 0) return;
    pixelsPerInch_ = pixelsPerInch;
    Changed(true);
}

void TFont::SetCharset(BYTE charset) {
    if (charset_ == charset) return;
    charset_ = charset;
    Changed(true);
}

void TFont::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    Changed(false);
}

void TFont::SetStyle(TFontStyles style) {
    if (style_ == style) return;
    style_ = style;
    Changed(true);
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA font{};
        font.lfHeight = ScaleForDpi(height_, pixelsPerInch_);
        font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        font.lfCharSet = charset_;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        // A face name longer than LOGFONT holds is cut, as the system would.
        const std::size_t length = std::min(name_.size(), sizeof(font.lfFaceName) - 1);
        std::memcpy(font.lfFaceName, name_.data(), length);
        handle_.reset(::CreateFontIndirectA(&font));
    }
    return handle_.get();
}

void TFont::Changed(bool handleChanged) {
    // A window that shows this font takes the new one in OnChange; only then does the old go.
    unique_hfont old;
    if (handleChanged) old = std::move(handle_);
    if (OnChange) OnChange();
}

}  // namespace rondel
