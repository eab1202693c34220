#include "app/ApplicationWindow.h"

#include "app/InstanceGuard.h"

namespace rondel {

namespace {
const char kClassName[] = "RondelApplication";
}

ApplicationWindow::ApplicationWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ApplicationWindow::Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, kClassName, kApplicationTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, this);
}

ApplicationWindow::~ApplicationWindow() {
    if (window_) ::DestroyWindow(window_);
}

void ApplicationWindow::BringMainWindowForward() {
    if (main_ == nullptr || !::IsWindow(main_)) return;
    if (::IsIconic(main_)) ::ShowWindow(main_, SW_RESTORE);
    ::SetForegroundWindow(main_);
}

LRESULT CALLBACK ApplicationWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ApplicationWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ApplicationWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_RESTORE) {
                    self->BringMainWindowForward();
                    return 0;
                }
                break;
            case WM_ACTIVATE:
                if (LOWORD(wParam) != WA_INACTIVE) self->BringMainWindowForward();
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int ApplicationWindow::Run() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace rondel
