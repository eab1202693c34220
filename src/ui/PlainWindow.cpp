#include "ui/PlainWindow.h"

#include "app/InstanceGuard.h"
#include "catalogue/ServiceEntry.h"
#include "toolkit/ErrorHandler.h"

namespace rondel {

namespace {

const char kClassName[] = "RondelPlainWindow";
constexpr UINT kReportErrors = WM_APP + 1;

const char* const kTabCaptions[] = {"開始しているサービス", "一時停止しているサービス", "停止しているサービス"};

}  // namespace

PlainWindow::PlainWindow(platform::Platform& system)
    : system_(system), catalogue_(system), defaultIcon_(LoadSystemIcon(system, kDefaultServiceIconIndex)) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    icon_.reset(::LoadIconA(instance, MAKEINTRESOURCEA(1)));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PlainWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon_.get();
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);

    const int width = 640;
    const int height = 480;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = ::CreateWindowExA(0, kClassName, kApplicationTitle, WS_OVERLAPPEDWINDOW, left, top, width, height,
                                nullptr, nullptr, instance, this);
}

PlainWindow::~PlainWindow() {
    if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
}

void PlainWindow::Show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    if (!lastBuild_.readErrors.empty()) ::PostMessageA(window_, kReportErrors, 0, 0);
}

std::string PlainWindow::ListingText(const ServiceCatalogue& catalogue) {
    std::string text;
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) {
        const auto& items = catalogue.List(tab).items;
        text += std::string("■ ") + kTabCaptions[tab] + " (" + std::to_string(items.size()) + ")\r\n";
        for (const std::string& item : items) {
            ServiceEntry entry;
            SplitServiceItem(item, entry);
            text += MakeServiceDisplayText(entry) + "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void PlainWindow::Refresh() {
    catalogue_.Clear();
    lastBuild_ = catalogue_.BuildServiceLists(defaultIcon_.get());
    ::SetWindowTextA(text_, ListingText(catalogue_).c_str());
}

void PlainWindow::OnCreate() {
    font_.reset(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "ＭＳ Ｐゴシック"));
    text_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
                              0, window_, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    Refresh();
}

void PlainWindow::OnSize(int width, int height) { ::MoveWindow(text_, 0, 0, width, height, TRUE); }

LRESULT PlainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case kReportErrors:
            // One odd registry value is reported once, after the lists are shown.
            ShowUnhandledError(lastBuild_.readErrors.front().message);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK PlainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PlainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PlainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ShowCurrentException();
        return 0;
    }
}

}  // namespace rondel
