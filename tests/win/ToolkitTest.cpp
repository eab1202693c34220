// The window toolkit under Wine: colours, fonts, the canvas, the timer, and the window
// procedure that binds objects, passes notifications back to their controls and lets no
// exception out.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "ListBoxTestSupport.h"
#include "toolkit/Timer.h"

namespace rondel::testing {
namespace {

TEST(ToolkitColor, SystemReferencesResolveToTheSystemColoursAndRgbPassesThrough) {
    EXPECT_EQ(ColorToRGB(clBtnFace), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clWindowText), ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(ColorToRGB(clSkyBlue), RGB(0xA6, 0xCA, 0xF0));

    // A brush of a system colour paints in the colour of the moment.
    TBrush brush(clBtnFace);
    TBitmap image(4, 4);
    const RECT all{0, 0, 4, 4};
    ::FillRect(image.Canvas().Handle(), &all, brush.Handle());
    EXPECT_EQ(::GetPixel(image.Canvas().Handle(), 1, 1), ::GetSysColor(COLOR_BTNFACE));
}

TEST(ToolkitFont, HandleMatchesTheAttributesAndCopiesTakeAttributesOnly) {
    TFont font;
    EXPECT_EQ(font.Name(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.Height(), -12);
    EXPECT_EQ(font.Charset(), SHIFTJIS_CHARSET);
    EXPECT_EQ(font.Color(), clWindowText);

    int changes = 0;
    font.OnChange = [&] { ++changes; };
    font.SetStyle(fsBold | fsUnderline);
    font.SetHeight(-16);
    LOGFONTA described{};
    ASSERT_EQ(::GetObjectA(font.Handle(), sizeof(described), &described), static_cast<int>(sizeof(described)));
    EXPECT_EQ(described.lfHeight, -16);
    EXPECT_EQ(described.lfWeight, FW_BOLD);
    EXPECT_TRUE(described.lfUnderline);
    EXPECT_FALSE(described.lfItalic);
    EXPECT_EQ(described.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(described.lfFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(changes, 2);

    // The colour is not part of the GDI font: same handle. Any other change: a new one.
    const HFONT handle = font.Handle();
    font.SetColor(clGreen);
    EXPECT_EQ(font.Handle(), handle);
    font.SetHeight(-16);
    EXPECT_EQ(changes, 3) << "setting the same value is no change";

    TFont copy;
    copy.Assign(font);
    EXPECT_EQ(copy.Height(), -16);
    EXPECT_EQ(copy.Style(), fsBold | fsUnderline);
    EXPECT_EQ(copy.Color(), clGreen);
    EXPECT_NE(copy.Handle(), font.Handle());
    EXPECT_FALSE(copy.OnChange);

    // A control's font change reaches its window.
    ListFixture f;
    f.list.Font().SetHeight(-20);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageA(f.list.Handle(), WM_GETFONT, 0, 0)), f.list.Font().Handle());
}

TEST(ToolkitCanvas, DrawsWithItsObjectsAndGivesTheDcBackItsOwn) {
    TBitmap image(20, 10);
    TCanvas& canvas = image.Canvas();
    const HDC dc = canvas.Handle();
    const HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);

    canvas.Brush().SetColor(TColor{RGB(10, 20, 30)});
    canvas.FillRect(RECT{0, 0, 20, 10});
    EXPECT_EQ(::GetPixel(dc, 19, 9), RGB(10, 20, 30));
    canvas.Pen().SetColor(TColor{RGB(200, 0, 0)});
    const POINT line[] = {{0, 0}, {5, 0}};
    canvas.Polyline(line);
    EXPECT_EQ(::GetPixel(dc, 4, 0), RGB(200, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 5, 0), RGB(10, 20, 30)) << "the end point is not painted";
    canvas.Font().SetColor(TColor{RGB(0, 0, 255)});
    EXPECT_EQ(canvas.TextHeight("あ"), 13);
    canvas.TextOut(0, 0, "■");
    bool ink = false;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) ink = ink || ::GetPixel(dc, x, y) == RGB(0, 0, 255);
    EXPECT_TRUE(ink);

    TBitmap source(2, 2);
    source.Canvas().Brush().SetColor(TColor{RGB(0, 99, 0)});
    source.Canvas().FillRect(RECT{0, 0, 2, 2});
    canvas.CopyRect(RECT{10, 2, 18, 10}, source.Canvas(), RECT{0, 0, 2, 2});
    EXPECT_EQ(::GetPixel(dc, 17, 9), RGB(0, 99, 0)) << "stretched";

    // Nothing of the canvas stays selected, so its objects can be changed or freed at any time.
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), brush);
}

// A window of its own class whose handler for WM_APP throws.
class ThrowingWindow : public TWinControl {
public:
    int handled = 0;

protected:
    void FillCreateParams(CreateParams& params) const override {
        params.windowClass.name = "RondelThrowingWindow";
        params.style = WS_POPUP;
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) throw std::runtime_error("テスト用のエラー");
        if (message == WM_APP + 1) return ++handled;
        return TWinControl::HandleMessage(message, wParam, lParam);
    }
};

TEST(ToolkitWindow, ExceptionsGoToTheGeneralErrorHandlerNotToTheSystem) {
    ThrowingWindow window;
    window.CreateHandle();
    ASSERT_EQ(TWinControl::FromHandle(window.Handle()), &window);

    // The error box is modal: close it from another thread once it shows, keeping its text.
    std::atomic<bool> done{false};
    std::string caption, text;
    std::thread closer([&] {
        for (int i = 0; i < 500 && !done; ++i) {
            HWND box = ::FindWindowA("#32770", "ロンデル");
            if (box != nullptr) {
                char buffer[256] = {};
                ::GetWindowTextA(box, buffer, sizeof(buffer));
                caption = buffer;
                ::GetDlgItemTextA(box, 0xFFFF, buffer, sizeof(buffer));
                text = buffer;
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(10);
        }
    });
    ::SendMessageA(window.Handle(), WM_APP, 0, 0);
    done = true;
    closer.join();
    EXPECT_EQ(caption, "ロンデル");
    EXPECT_EQ(text.rfind("テスト用のエラー", 0), 0u) << text;

    // The window goes on working.
    EXPECT_EQ(::SendMessageA(window.Handle(), WM_APP + 1, 0, 0), 1);
    window.DestroyHandle();
    EXPECT_EQ(TWinControl::FromHandle(nullptr), nullptr);
}

TEST(ToolkitTimer, FiresThroughTheMessageLoopWhileEnabled) {
    ListFixture f;
    TTimer timer(f.list);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(30);
    PumpMessages(120);
    EXPECT_EQ(ticks, 0) << "disabled at first";
    timer.SetEnabled(true);
    PumpMessages(250);
    EXPECT_GE(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    PumpMessages(120);
    EXPECT_EQ(ticks, stopped);

    // A timer enabled before its window exists starts with it.
    TGraphicListBox later;
    TTimer early(later);
    int earlyTicks = 0;
    early.OnTimer = [&] { ++earlyTicks; };
    early.SetInterval(20);
    early.SetEnabled(true);
    later.CreateHandle(f.host.Handle());
    PumpMessages(150);
    EXPECT_GE(earlyTicks, 2);
}

TEST(ToolkitWindow, ParentHandsControlsTheirColourAndCommands) {
    // The list's empty area is erased with its own Color, which the parent asks it for.
    ListFixture f;
    f.list.SetColor(clMoneyGreen);
    ::UpdateWindow(f.list.Handle());
    const ItemPicture shown = CaptureClient(f.list.Handle());
    EXPECT_TRUE(AllPixels(shown, RECT{0, 0, shown.Width(), shown.Height()}, ColorToRGB(clMoneyGreen)));

    // LBN_SELCHANGE and LBN_DBLCLK reach the control's events; a system control that is not
    // one of ours gets nothing it does not know.
    int clicks = 0, doubleClicks = 0;
    f.list.OnClick = [&] { ++clicks; };
    f.list.OnDblClick = [&] { ++doubleClicks; };
    const WPARAM id = static_cast<WPARAM>(::GetDlgCtrlID(f.list.Handle()));
    ::SendMessageA(f.host.Handle(), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(f.list.Handle()));
    ::SendMessageA(f.host.Handle(), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(f.list.Handle()));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 1);
    // Subclassed again by the system (as a tooltip's TTF_SUBCLASS does), it still gets them.
    const SUBCLASSPROC passOn = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
        return ::DefSubclassProc(w, m, wp, lp);
    };
    ASSERT_TRUE(::SetWindowSubclass(f.list.Handle(), passOn, 1, 0));
    EXPECT_EQ(TWinControl::FromHandle(f.list.Handle()), &f.list);
    ::SendMessageA(f.host.Handle(), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(f.list.Handle()));
    EXPECT_EQ(clicks, 2);
    ::RemoveWindowSubclass(f.list.Handle(), passOn, 1);
    HWND plain = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 50, 50, f.host.Handle(), nullptr, nullptr, nullptr);
    EXPECT_EQ(TWinControl::FromHandle(plain), nullptr);
    ::SendMessageA(f.host.Handle(), WM_COMMAND, MAKEWPARAM(1, LBN_SELCHANGE), reinterpret_cast<LPARAM>(plain));
    EXPECT_EQ(clicks, 2);
    ::DestroyWindow(plain);
}

}  // namespace
}  // namespace rondel::testing
