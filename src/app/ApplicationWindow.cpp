#include "app/ApplicationWindow.h"

#include "app/InstanceGuard.h"

namespace rondel {

ApplicationWindow::ApplicationWindow() {
    SetVisible(false);
    CreateHandle();
}

ApplicationWindow::~ApplicationWindow() { DestroyHandle(); }

void ApplicationWindow::FillCreateParams(CreateParams& params) const {
    params.windowClass.name = kApplicationWindowClass;
    params.caption = kApplicationTitle;
    params.style = WS_POPUP;
}

void ApplicationWindow::BringMainWindowForward() {
    if (main_ == nullptr || !::IsWindow(main_)) return;
    if (::IsIconic(main_)) ::ShowWindow(main_, SW_RESTORE);
    ::SetForegroundWindow(main_);
}

LRESULT ApplicationWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE) {
                BringMainWindowForward();
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) BringMainWindowForward();
            return 0;
        default:
            break;
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

}  // namespace rondel
