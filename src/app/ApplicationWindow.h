// The application's own window: hidden, titled "ロンデル", the window a second start finds.
// It hands a restore request and its activation on to the main window.
#pragma once

#include <windows.h>

#include "toolkit/WinControl.h"

namespace rondel {

class ApplicationWindow final : public TWinControl {
public:
    ApplicationWindow();
    ~ApplicationWindow() override;

    void SetMainWindow(HWND main) { main_ = main; }

protected:
    void FillCreateParams(CreateParams& params) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BringMainWindowForward();

    HWND main_ = nullptr;
};

}  // namespace rondel
