// The application's own window: hidden, titled "ロンデル", the window a second start finds.
// It hands a restore request and its activation on to the main window.
#pragma once

#include <windows.h>

namespace rondel {

class ApplicationWindow {
public:
    ApplicationWindow();
    ~ApplicationWindow();
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    HWND Handle() const { return window_; }
    void SetMainWindow(HWND main) { main_ = main; }

    // Runs the message loop until the main window is gone.
    int Run();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void BringMainWindowForward();

    HWND window_ = nullptr;
    HWND main_ = nullptr;
};

}  // namespace rondel
