#include "toolkit/Button.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <tuple>

#include "toolkit/Form.h"

namespace rondel {

namespace {

// BUTTON_IMAGELIST pictures, by PUSHBUTTONSTATES - 1: normal, hot, pressed, disabled,
// defaulted, stylus-hot. Which picture of the glyph each one shows.
constexpr int kStatePictures = 6;
constexpr int kDisabledState = 3;

// The button pictures of a glyph resource, made from its strip of numGlyphs pictures: every
// state shows the normal picture but the disabled state, which shows the second. Null when the
// resource is missing or unfit.
std::shared_ptr<const TImageList> MakeGlyphPictures(const char* resourceName, int numGlyphs, int dpi) {
    const unique_hbitmap strip = LoadBitmapResource(resourceName, dpi);
    BITMAP shape{};
    if (!strip || numGlyphs < 1 || ::GetObjectA(strip.get(), sizeof shape, &shape) == 0) return nullptr;
    const int width = shape.bmWidth / numGlyphs;
    TImageList pictures(width, shape.bmHeight);
    if (pictures.AddMasked(strip.get(), kTransparentColor) < 0) return nullptr;
    auto glyphs = std::make_shared<TImageList>(width, shape.bmHeight);
    const unique_hicon normal = pictures.GetIcon(0);
    const unique_hicon disabled = pictures.GetIcon(numGlyphs >= 2 ? 1 : 0);
    for (int state = 0; state < kStatePictures; ++state)
        glyphs->AddIcon(state == kDisabledState ? disabled.get() : normal.get());
    return glyphs;
}

// Made once per run, glyph and DPI: a window that opens again (the dependencies window, every
// message dialog) does not draw its buttons' pictures again. The windows' thread only.
std::shared_ptr<const TImageList> GlyphPictures(const char* resourceName, int numGlyphs, int dpi) {
    static auto* made = new std::map<std::tuple<std::string, int, int>, std::shared_ptr<const TImageList>>;
    auto& glyphs = (*made)[{resourceName, numGlyphs, dpi}];
    if (!glyphs) glyphs = MakeGlyphPictures(resourceName, numGlyphs, dpi);
    return glyphs;
}

}  // namespace

TButton::TButton() = default;

std::string TButton::Caption() const { return HandleAllocated() ? WindowText(Handle()) : caption_; }

void TButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (HandleAllocated()) ::SetWindowTextA(Handle(), caption.c_str());
}

void TButton::Click() {
    if (OnClick) OnClick();
    if (modalResult_ != 0) {
        if (auto* form = dynamic_cast<TForm*>(&Root())) form->SetModalResult(modalResult_);
    }
}

void TButton::FillCreateParams(CreateParams& params) const {
    params.systemClass = "BUTTON";
    params.caption = caption_;
    params.style |= WS_TABSTOP | BS_PUSHBUTTON;
}

void TButton::CommandNotification(WORD code) {
    if (code == BN_CLICKED) Click();
}

TBitBtn::TBitBtn() = default;

void TBitBtn::SetKind(TBitBtnKind kind) {
    kind_ = kind;
    if (kind == bkClose) {
        SetCaption("閉じる(&C)");
        SetGlyphResource(kCloseGlyphResource, 2);
    }
}

void TBitBtn::SetGlyphResource(const char* resourceName, int numGlyphs) {
    glyphResource_ = resourceName;
    numGlyphs_ = numGlyphs;
    glyphs_ = nullptr;
    ApplyGlyph();
}

void TBitBtn::Click() {
    if (kind_ == bkClose) {
        if (auto* form = dynamic_cast<TForm*>(&Root())) {
            form->Close();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::HandleCreated() { ApplyGlyph(); }

void TBitBtn::ChangeDpi(int dpi) {
    TButton::ChangeDpi(dpi);
    ApplyGlyph();
}

void TBitBtn::ApplyGlyph() {
    if (!HandleAllocated()) return;
    // The pictures for the DPI the window is shown at, which is known once it is.
    if (!glyphResource_.empty() && (!glyphs_ || glyphsDpi_ != Dpi())) {
        glyphs_ = GlyphPictures(glyphResource_.c_str(), numGlyphs_, Dpi());
        glyphsDpi_ = Dpi();
    }
    BUTTON_IMAGELIST list{};
    list.himl = glyphs_ ? glyphs_->Handle() : nullptr;
    list.margin = RECT{Scale(4), 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    ::SendMessageA(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace rondel
