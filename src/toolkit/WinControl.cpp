#include "toolkit/WinControl.h"

#include <algorithm>
#include <system_error>

#include "toolkit/ErrorHandler.h"
#include "toolkit/Timer.h"

namespace rondel {

namespace {

// A window is bound to its object by a property: it stays whoever subclasses the window after
// us (a tooltip's TTF_SUBCLASS, SetWindowSubclass, a common control's own), where a check of the
// window procedure would lose the binding.
constexpr char kBindingProperty[] = "RondelControl";
// The procedure a system control's messages go on to once it is unbound while another
// subclass still calls ours.
constexpr char kFallbackProperty[] = "RondelFallback";

// Controls need distinct ids: WM_MEASUREITEM names its control only by id.
int NextControlId() {
    static int next = 1000;
    return next++;
}

}  // namespace

std::string WindowText(HWND window) {
    if (window == nullptr) return {};
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const int dpi = getDpiForWindow != nullptr && window != nullptr ? static_cast<int>(getDpiForWindow(window)) : 0;
    return dpi > 0 ? dpi : ScreenPixelsPerInch();
}

TWinControl::TWinControl() {
    font_.OnChange = [this] {
        if (handle_) ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
    };
}

TWinControl::~TWinControl() {
    DestroyHandle();
    for (TWinControl* child : children_) child->parent_ = nullptr;
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return window != nullptr ? static_cast<TWinControl*>(::GetPropA(window, kBindingProperty)) : nullptr;
}

void TWinControl::SetParent(TWinControl& parent) {
    if (parent_ == &parent) return;
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = &parent;
    parent.children_.push_back(this);
}

TWinControl& TWinControl::Root() {
    TWinControl* control = this;
    while (control->parent_ != nullptr) control = control->parent_;
    return *control;
}

LRESULT TWinControl::SendToForm(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!handle_) return 0;
    return ::SendMessageA(::GetAncestor(handle_, GA_ROOT), message, wParam, lParam);
}

void TWinControl::CreateHandle() {
    if (parent_ != nullptr && !parent_->HandleAllocated()) {
        parent_->CreateHandle();  // makes this one too, among its children
        if (handle_) return;
    }
    CreateHandle(ParentWindowHandle());
}

void TWinControl::CreateHandle(HWND parent) {
    if (!handle_) {
        CreateParams params;
        if (parent == nullptr) params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        FillCreateParams(params);
        if (visible_) params.style |= WS_VISIBLE;
        else params.style &= ~static_cast<DWORD>(WS_VISIBLE);
        if (!enabled_) params.style |= WS_DISABLED;
        if (params.caption.empty()) params.caption = name_;

        const bool child = (params.style & WS_CHILD) != 0;
        if (child && controlId_ == 0) controlId_ = NextControlId();
        const HMENU id = child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)) : nullptr;
        const std::string& className = params.systemClass.empty() ? params.windowClass.name : params.systemClass;
        if (params.systemClass.empty()) {
            fallback_ = RegisterWindowClass(params.windowClass, &TWinControl::WindowProcedure);
            ownClass_ = params.windowClass.superclassOf.empty();
        }
        HWND window = ::CreateWindowExA(params.exStyle, className.c_str(), params.caption.c_str(), params.style,
                                        bounds_.left, bounds_.top, bounds_.right - bounds_.left,
                                        bounds_.bottom - bounds_.top, parent, id, ::GetModuleHandleA(nullptr),
                                        params.systemClass.empty() ? this : nullptr);
        if (window == nullptr)
            throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                    "CreateWindowExA " + className);
        if (!params.systemClass.empty()) Subclass(window);
        font_.SetPixelsPerInch(WindowDpi(window));
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
        for (TTimer* timer : timers_) timer->Update();
        HandleCreated();
    }
    for (TWinControl* child : children_)
        if (!child->HandleAllocated()) child->CreateHandle(handle_);
}

void TWinControl::Bind(HWND window) {
    handle_ = window;
    ::SetPropA(window, kBindingProperty, this);
}

void TWinControl::Subclass(HWND window) {
    Bind(window);
    ownClass_ = false;
    subclassed_ = true;
    fallback_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::WindowProcedure)));
}

void TWinControl::Unbind(HWND window) {
    ::RemovePropA(window, kBindingProperty);
    if (subclassed_) {
        // Given back unless another subclass came after ours: that one still calls us, and we
        // pass its messages on.
        if (::GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TWinControl::WindowProcedure))
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fallback_));
        else
            ::SetPropA(window, kFallbackProperty, reinterpret_cast<HANDLE>(fallback_));
        subclassed_ = false;
    }
    handle_ = nullptr;
    mouseInside_ = false;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    HWND window = handle_;
    // From here on the window's last messages go straight to its fallback: a destructor may be
    // running, and the derived parts of the object may be gone already.
    Unbind(window);
    ::DestroyWindow(window);
}

void TWinControl::ChangeDpi(int dpi) {
    const int from = Dpi();
    if (dpi <= 0 || dpi == from) return;
    for (TWinControl* child : children_) {
        const RECT b = child->Bounds();
        child->SetBounds(::MulDiv(b.left, dpi, from), ::MulDiv(b.top, dpi, from),
                         ::MulDiv(b.right - b.left, dpi, from), ::MulDiv(b.bottom - b.top, dpi, from));
        child->ChangeDpi(dpi);
    }
    font_.SetPixelsPerInch(dpi);
}

void TWinControl::SetName(const std::string& name) {
    name_ = name;
    if (handle_) ::SetWindowTextA(handle_, name.c_str());
}

RECT TWinControl::Bounds() const {
    if (!handle_) return bounds_;
    RECT rect{};
    ::GetWindowRect(handle_, &rect);
    if (HWND parent = ::GetParent(handle_); parent && (::GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void TWinControl::SetBounds(int left, int top, int width, int height, bool move) {
    bounds_ = RECT{left, top, left + width, top + height};
    if (handle_ && move) ::MoveWindow(handle_, left, top, width, height, TRUE);
}

int TWinControl::ClientWidth() const {
    if (!handle_) return Width();
    RECT rect{};
    ::GetClientRect(handle_, &rect);
    return rect.right;
}

int TWinControl::ClientHeight() const {
    if (!handle_) return Height();
    RECT rect{};
    ::GetClientRect(handle_, &rect);
    return rect.bottom;
}

bool TWinControl::Visible() const { return handle_ ? ::IsWindowVisible(handle_) != FALSE : visible_; }

namespace {

bool HoldsFocus(HWND window) {
    HWND focus = ::GetFocus();
    return focus != nullptr && (focus == window || ::IsChild(window, focus));
}

}  // namespace

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (!handle_) return;
    const bool losesFocus = !visible && parent_ != nullptr && HoldsFocus(handle_);
    ::ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
    if (losesFocus) SendToForm(kFocusLost, 0, 0);
}

bool TWinControl::Enabled() const { return handle_ ? ::IsWindowEnabled(handle_) != FALSE : enabled_; }

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!handle_) return;
    const bool losesFocus = !enabled && parent_ != nullptr && HoldsFocus(handle_);
    ::EnableWindow(handle_, enabled ? TRUE : FALSE);
    if (losesFocus) SendToForm(kFocusLost, 0, 0);
}

void TWinControl::SetColor(TColor color) {
    if (brush_.Color() == color) return;
    brush_.SetColor(color);
    if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    TWinControl* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) self->Bind(window);
    } else {
        self = FromHandle(window);
    }
    if (self == nullptr) {
        WNDPROC fallback = reinterpret_cast<WNDPROC>(::GetPropA(window, kFallbackProperty));
        if (fallback == nullptr) fallback = FallbackProcedureOf(window);
        if (message == WM_NCDESTROY) ::RemovePropA(window, kFallbackProperty);
        return ::CallWindowProcA(fallback ? fallback : ::DefWindowProcA, window, message, wParam, lParam);
    }

    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ShowCurrentException(::GetAncestor(window, GA_ROOT));
        // A paint that failed would otherwise be asked for again and again.
        if (message == WM_PAINT) ::ValidateRect(window, nullptr);
        if (message == WM_NCCREATE || message == WM_CREATE) result = message == WM_CREATE ? -1 : FALSE;
    }
    if (message == WM_NCDESTROY) {
        self->subclassed_ = false;  // the window is gone: nothing to give back
        self->Unbind(window);
    }
    return result;
}

LRESULT TWinControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU && Reflect(item->hwndItem, message, wParam, lParam, result)) return result;
        break;
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU &&
            Reflect(::GetDlgItem(handle_, static_cast<int>(item->CtlID)), message, wParam, lParam, result))
            return result;
        break;
    }
    case WM_COMMAND:
        if (lParam != 0 && Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) return result;
        break;
    case WM_NOTIFY:
        if (Reflect(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom, message, wParam, lParam, result)) return result;
        break;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result) && result != 0) return result;
        break;
    case Reflected(WM_CTLCOLORLISTBOX):
    case Reflected(WM_CTLCOLOREDIT):
    case Reflected(WM_CTLCOLORSTATIC):
    case Reflected(WM_CTLCOLORBTN):
        return ControlColor(reinterpret_cast<HDC>(wParam));
    case Reflected(WM_COMMAND):
        CommandNotification(HIWORD(wParam));
        return 0;
    case WM_TIMER:
        FireTimer(wParam);
        return 0;
    case WM_MOUSEMOVE:
        TrackMouse();
        break;
    case WM_MOUSELEAVE:
        mouseInside_ = false;
        MouseLeave();
        break;
    case WM_SIZE:
        result = DefaultHandler(message, wParam, lParam);
        Resized();
        return result;
    case WM_ERASEBKGND:
        if (!ownClass_) break;
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    default:
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    // Reflected messages mean nothing to the system's controls.
    if (message >= kReflectedBase && message < kReflectedBase + 0x1000) return 0;
    return ::CallWindowProcA(fallback_, handle_, message, wParam, lParam);
}

bool TWinControl::Reflect(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (FromHandle(child) == nullptr) return false;
    result = ::SendMessageA(child, Reflected(message), wParam, lParam);
    return true;
}

LRESULT TWinControl::ControlColor(HDC dc) {
    ::SetTextColor(dc, ColorToRGB(font_.Color()));
    ::SetBkColor(dc, ColorToRGB(brush_.Color()));
    return reinterpret_cast<LRESULT>(brush_.Handle());
}

void TWinControl::TrackMouse() {
    if (mouseInside_) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = handle_;
    if (!::TrackMouseEvent(&track)) return;
    mouseInside_ = true;
    MouseEnter();
}

void TWinControl::EraseBackground(HDC dc) {
    RECT rect{};
    ::GetClientRect(handle_, &rect);
    ::FillRect(dc, &rect, brush_.Handle());
}

void TWinControl::FireTimer(UINT_PTR id) {
    const auto timer = std::find_if(timers_.begin(), timers_.end(), [id](const TTimer* t) { return t->Id() == id; });
    if (timer != timers_.end()) (*timer)->Fire();
}

}  // namespace rondel
