#include "toolkit/Button.h"

#include <commctrl.h>

#include "toolkit/Form.h"

namespace rondel {

namespace {

// BUTTON_IMAGELIST pictures, by PUSHBUTTONSTATES - 1: normal, hot, pressed, disabled,
// defaulted, stylus-hot. Which picture of the glyph each one shows.
constexpr int kStatePictures = 6;
constexpr int kDisabledState = 3;

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
    const unique_hbitmap strip = LoadBitmapResource(resourceName);
    glyphs_.reset();
    numGlyphs_ = 0;
    BITMAP shape{};
    if (!strip || numGlyphs < 1 || ::GetObjectA(strip.get(), sizeof shape, &shape) == 0) {
        ApplyGlyph();
        return;
    }
    const int width = shape.bmWidth / numGlyphs;
    TImageList pictures(width, shape.bmHeight);
    if (pictures.AddMasked(strip.get(), kTransparentColor) < 0) return;
    numGlyphs_ = numGlyphs;
    // Every state shows the normal picture but the disabled state, which shows the second.
    glyphs_ = std::make_unique<TImageList>(width, shape.bmHeight);
    const unique_hicon normal = pictures.GetIcon(0);
    const unique_hicon disabled = pictures.GetIcon(numGlyphs >= 2 ? 1 : 0);
    for (int state = 0; state < kStatePictures; ++state)
        glyphs_->AddIcon(state == kDisabledState ? disabled.get() : normal.get());
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

void TBitBtn::ApplyGlyph() {
    if (!HandleAllocated()) return;
    BUTTON_IMAGELIST list{};
    list.himl = glyphs_ ? glyphs_->Handle() : nullptr;
    list.margin = RECT{4, 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    ::SendMessageA(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace rondel
