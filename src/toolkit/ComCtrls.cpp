#include "toolkit/ComCtrls.h"

#include <commctrl.h>

#include <cstring>

#include "text/AnsiText.h"

namespace rondel {

// ---------------------------------------------------------------- TTabControl

TTabControl::TTabControl() = default;

void TTabControl::AddTab(const std::string& caption) {
    tabs_.push_back(caption);
    if (HandleAllocated()) InsertTab(TabCount() - 1);
}

void TTabControl::InsertTab(int index) {
    std::string text = tabs_[static_cast<std::size_t>(index)];
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text.data();
    item.iImage = index;
    ::SendMessageA(Handle(), TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TTabControl::TabIndex() const {
    return HandleAllocated() ? static_cast<int>(::SendMessageA(Handle(), TCM_GETCURSEL, 0, 0)) : tabIndex_;
}

void TTabControl::SetTabIndex(int index) {
    tabIndex_ = index;
    if (HandleAllocated()) ::SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TTabControl::SetImages(const TImageList* images) {
    images_ = images;
    if (HandleAllocated())
        ::SendMessageA(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TTabControl::SetTabSize(int width, int height) {
    tabSize_ = SIZE{width, height};
    if (HandleAllocated()) ::SendMessageA(Handle(), TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
}

void TTabControl::ChangeDpi(int dpi) {
    if (tabSize_.cx > 0 && dpi > 0) SetTabSize(::MulDiv(tabSize_.cx, dpi, Dpi()), ::MulDiv(tabSize_.cy, dpi, Dpi()));
    TWinControl::ChangeDpi(dpi);
}

RECT TTabControl::DisplayRect() const {
    RECT rect{0, 0, ClientWidth(), ClientHeight()};
    if (HandleAllocated()) ::SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TTabControl::FillCreateParams(CreateParams& params) const {
    params.systemClass = WC_TABCONTROLA;
    // The page's controls are its siblings above it, as on a property sheet: the strip itself
    // is then a stop of the Tab order (the dialog manager never stops on a control parent),
    // and it draws around them.
    params.style |= WS_TABSTOP | WS_CLIPSIBLINGS;
    if (hotTrack_) params.style |= TCS_HOTTRACK;
    if (tabSize_.cx > 0) params.style |= TCS_FIXEDWIDTH;
}

void TTabControl::HandleCreated() {
    if (images_) SetImages(images_);
    if (tabSize_.cx > 0) SetTabSize(tabSize_.cx, tabSize_.cy);
    for (int i = 0; i < TabCount(); ++i) InsertTab(i);
    SetTabIndex(tabIndex_);
}

LRESULT TTabControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Reflected(WM_NOTIFY)) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TCN_SELCHANGE && OnChange) OnChange();
        return 0;
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------- TStatusBar

void TStatusBar::SetSimpleText(const std::string& text) {
    simpleText_ = text;
    if (HandleAllocated())
        ::SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
}

void TStatusBar::FillCreateParams(CreateParams& params) const {
    params.systemClass = STATUSCLASSNAMEA;
    // The form places it: its height is the form's, not the font's.
    params.style |= SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
}

void TStatusBar::HandleCreated() {
    ::SendMessageA(Handle(), SB_SIMPLE, TRUE, 0);
    SetSimpleText(simpleText_);
}

void TStatusBar::Resized() {
    const LONG style = ::GetWindowLongA(Handle(), GWL_STYLE);
    const LONG wanted = ::IsZoomed(::GetAncestor(Handle(), GA_ROOT)) ? style & ~SBARS_SIZEGRIP : style | SBARS_SIZEGRIP;
    if (wanted != style) ::SetWindowLongA(Handle(), GWL_STYLE, wanted);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TStatusBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(simpleText_.size());
    if (message == WM_GETTEXT) {
        if (wParam == 0) return 0;
        std::string shown = simpleText_;
        CutToLength(shown, wParam - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), shown.c_str(), shown.size() + 1);
        return static_cast<LRESULT>(shown.size());
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

}  // namespace rondel
