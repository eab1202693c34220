#include "toolkit/ExtCtrls.h"

#include "toolkit/ImageList.h"

namespace rondel {

// ---------------------------------------------------------------- TPanel

TPanel::TPanel() = default;

void TPanel::FillCreateParams(CreateParams& params) const {
    params.systemClass = "STATIC";
    params.style |= WS_CLIPCHILDREN | SS_LEFT;
    params.exStyle |= WS_EX_CONTROLPARENT;
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A multi-line edit under the dialog manager asks its parent to close on Esc; for the form
    // that is the Esc key, whatever the control that has the focus.
    if (message == WM_CLOSE) return SendToForm(WM_COMMAND, IDCANCEL, 0);
    return TWinControl::HandleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------- TBevel

void TBevel::FillCreateParams(CreateParams& params) const {
    params.systemClass = "STATIC";
    params.style |= SS_LEFT;
    params.exStyle |= WS_EX_STATICEDGE;
}

void TBevel::HandleCreated() {
    ::SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- TImage

TImage::TImage(DWORD kind) : kind_(kind) {}

void TImage::SetIcon(HICON icon) {
    icon_.reset(icon != nullptr ? ::CopyIcon(icon) : nullptr);
    if (HandleAllocated()) ::SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
}

void TImage::SetBitmapResource(const char* name) {
    bitmapResource_ = name;
    bitmap_ = LoadBitmapResource(name, Dpi());
    if (HandleAllocated())
        ::SendMessageA(Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
}

void TImage::ChangeDpi(int dpi) {
    TWinControl::ChangeDpi(dpi);
    if (!bitmapResource_.empty()) SetBitmapResource(bitmapResource_.c_str());
}

void TImage::FillCreateParams(CreateParams& params) const {
    params.systemClass = "STATIC";
    params.style |= kind_ | SS_CENTERIMAGE | SS_NOTIFY;
}

void TImage::HandleCreated() {
    if (kind_ == SS_ICON && icon_) ::SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    if (kind_ == SS_BITMAP && bitmap_)
        ::SendMessageA(Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
}

LRESULT TImage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // An image that can be clicked says so with the hand pointer.
    if (message == WM_SETCURSOR && OnClick) {
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

void TImage::CommandNotification(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

}  // namespace rondel
