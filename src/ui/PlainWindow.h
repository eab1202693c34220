// A plain window over the catalogue: the three state lists' display texts, one after another.
// It stands in for the main window until that exists.
#pragma once

#include <windows.h>

#include "catalogue/ServiceCatalogue.h"
#include "platform/Platform.h"
#include "platform/Win32Handles.h"

namespace rondel {

class PlainWindow {
public:
    explicit PlainWindow(platform::Platform& system);
    ~PlainWindow();
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND Handle() const { return window_; }
    void Show(int showCommand);

    // The text the window shows for the catalogue's lists.
    static std::string ListingText(const ServiceCatalogue& catalogue);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int width, int height);
    void Refresh();

    platform::Platform& system_;
    ServiceCatalogue catalogue_;
    platform::IconHandle defaultIcon_;
    BuildResult lastBuild_;
    HWND window_ = nullptr;
    HWND text_ = nullptr;
    unique_hfont font_;
    unique_hicon icon_;
};

}  // namespace rondel
