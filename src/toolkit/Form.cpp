#include "toolkit/Form.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "toolkit/Button.h"
#include "toolkit/ErrorHandler.h"

namespace rondel {

namespace {

// The common controls the forms are made of, registered once per process.
void InitializeCommonControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

unique_hicon LoadIconResource(int id, int size) {
    return unique_hicon(static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
}

}  // namespace

TForm::TForm(std::string className) : className_(std::move(className)) {
    InitializeCommonControls();
    SetColor(clBtnFace);
    SetVisible(false);  // until Show: nobody sees a form without its controls
}

TForm::~TForm() {
    tooltip_.reset();
    DestroyHandle();
}

std::string TForm::Caption() const { return HandleAllocated() ? WindowText(Handle()) : Name(); }

void TForm::SetCaption(const std::string& caption) { SetName(caption); }

void TForm::SetIconResource(int resourceId) {
    bigIcon_ = LoadIconResource(resourceId, ::GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadIconResource(resourceId, ::GetSystemMetrics(SM_CXSMICON));
    if (HandleAllocated()) HandleCreated();
}

void TForm::SetMinimumSize(int width, int height) { minimum_ = SIZE{width, height}; }

void TForm::CenterOnScreen() {
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = Width();
    const int height = Height();
    SetBounds(area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2,
              width, height);
}

void TForm::SetAccelerators(const std::vector<ACCEL>& keys) {
    std::vector<ACCEL> table = keys;
    accelerators_.reset(table.empty() ? nullptr
                                      : ::CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
}

void TForm::AddCancelButton(TButton& button) { cancelButtons_.push_back(&button); }

void TForm::SetDefaultButton(TButton& button) {
    defaultButton_ = &button;
    if (HandleAllocated() && button.HandleAllocated())
        ::SendMessageA(Handle(), DM_SETDEFID, static_cast<WPARAM>(button.ControlId()), 0);
}

void TForm::SetHint(TWinControl& control, const std::string& hint) {
    if (!HandleAllocated() || !control.HandleAllocated()) return;
    if (!tooltip_) {
        tooltip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                                         nullptr, ::GetModuleHandleA(nullptr), nullptr));
        if (!tooltip_) return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
    std::string text = hint;
    tool.lpszText = text.data();
    ::SendMessageA(tooltip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TForm::ShowErrorLater(const std::string& message) {
    pendingError_ = message;
    if (HandleAllocated()) ::PostMessageA(Handle(), kShowPendingError, 0, 0);
}

void TForm::Show(int showCommand) {
    if (!HandleAllocated()) CreateHandle();
    if (defaultButton_ != nullptr && defaultButton_->HandleAllocated())
        ::SendMessageA(Handle(), DM_SETDEFID, static_cast<WPARAM>(defaultButton_->ControlId()), 0);
    ::ShowWindow(Handle(), showCommand);
    if (!shown_) {
        shown_ = true;
        // The focus cues show once the keyboard is used.
        ::SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        focusCuesShown_ = false;
        if (activeControl_ != nullptr && activeControl_->HandleAllocated()) ::SetFocus(activeControl_->Handle());
    }
    ::UpdateWindow(Handle());
}

int TForm::ShowModal() {
    if (!HandleAllocated()) CreateHandle();
    HWND owner = ::GetWindow(Handle(), GW_OWNER);
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    modal_ = true;
    modalResult_ = mrNone;
    Show(SW_SHOW);

    MSG message{};
    bool quit = false;
    while (modalResult_ == mrNone && HandleAllocated()) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got < 0) break;
        if (!TForm::PreTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    // The owner is enabled before this window goes, so that the activation returns to it.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (HandleAllocated()) {
        ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (owner != nullptr && ::IsWindow(owner)) ::SetActiveWindow(owner);
    modal_ = false;
    shown_ = false;
    if (quit) ::PostQuitMessage(static_cast<int>(message.wParam));
    return modalResult_ == mrNone ? mrCancel : modalResult_;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (HandleAllocated()) ::DestroyWindow(Handle());
}

bool TForm::PreTranslateMessage(MSG& message) {
    if (!HandleAllocated()) return false;
    FollowFocusCues(message);
    if (accelerators_ && ::TranslateAcceleratorA(Handle(), accelerators_.get(), &message)) return true;
    return ::IsDialogMessageA(Handle(), &message) != FALSE;
}

bool TForm::PreTranslate(MSG& message) {
    if (message.hwnd == nullptr) return false;
    auto* form = dynamic_cast<TForm*>(FromHandle(::GetAncestor(message.hwnd, GA_ROOT)));
    return form != nullptr && form->PreTranslateMessage(message);
}

void TForm::FollowFocusCues(const MSG& message) {
    // Windows' rule: the keyboard's place shows from the first key, and hides with the mouse.
    bool keyboard = false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyboard = true;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        break;
    default:
        return;
    }
    if (focusCuesShown_ == keyboard) return;
    focusCuesShown_ = keyboard;
    ::SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(keyboard ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TForm::FillCreateParams(CreateParams& params) const {
    params.windowClass.name = className_;
    params.windowClass.dialog = true;
    if (borderStyle_ == bsDialog) {
        params.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        params.exStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
    } else {
        params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        params.exStyle = WS_EX_CONTROLPARENT;
    }
}

void TForm::HandleCreated() {
    if (bigIcon_) ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    if (smallIcon_) ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void TForm::Resized() {
    if (HandleAllocated() && !::IsIconic(Handle())) FormResize();
}

void TForm::FocusUsableControl() {
    HWND target = nullptr;
    if (activeControl_ != nullptr && activeControl_->HandleAllocated() && activeControl_->Enabled() &&
        activeControl_->Visible())
        target = activeControl_->Handle();
    else
        target = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (target != nullptr) ::SetFocus(target);
}

void TForm::ClickCancelButton() {
    if (OnCancel) {
        OnCancel();
        return;
    }
    const auto usable = std::find_if(cancelButtons_.begin(), cancelButtons_.end(),
                                     [](TButton* b) { return b->Enabled() && b->Visible(); });
    if (usable != cancelButtons_.end()) (*usable)->Click();
}

void TForm::ClickDefaultButton() {
    if (defaultButton_ != nullptr && defaultButton_->Enabled() && defaultButton_->Visible()) defaultButton_->Click();
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Keys the dialog manager and the accelerator table turned into commands, and menu
        // items: they name no control of ours.
        if (lParam == 0 || FromHandle(reinterpret_cast<HWND>(lParam)) == nullptr) {
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == IDCANCEL) {
                ClickCancelButton();
                return 0;
            }
            if (HIWORD(wParam) == 0 && LOWORD(wParam) == IDOK) {
                ClickDefaultButton();
                return 0;
            }
            if (lParam == 0 && HIWORD(wParam) <= 1) {  // a menu item (0) or an accelerator (1)
                if (OnCommand) OnCommand(LOWORD(wParam));
                return 0;
            }
        }
        break;
    case WM_CLOSE:
        Close();
        return 0;
    case kFocusLost:
        FocusUsableControl();
        return 0;
    case kShowPendingError:
        if (!pendingError_.empty()) ShowUnhandledError(std::exchange(pendingError_, std::string()), Handle());
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (minimum_.cx > 0) info->ptMinTrackSize.x = Scale(minimum_.cx);
        if (minimum_.cy > 0) info->ptMinTrackSize.y = Scale(minimum_.cy);
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a screen of another density: the controls' sizes and fonts follow, the window
        // takes the rectangle the system suggests, and the form lays itself out anew.
        ChangeDpi(LOWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        Resized();
        return 0;
    }
    case WM_SYSCOLORCHANGE:
        SystemColorsChanged();
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) SystemColorsChanged();
        break;
    case WM_DESTROY:
        tooltip_.release();  // owned windows go with their owner
        if (mainForm_) ::PostQuitMessage(0);
        break;
    default:
        break;
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

int RunMessageLoop() {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TForm::PreTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace rondel
