// The dependencies window of the real Rondel.exe over services of the prefix's Service Control
// Manager: its lists, texts, icons, layout, keyboard and the jump to a listed service.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "RondelWindow.h"
#include "TestService.h"
#include "platform/Win32Handles.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace rondel::e2e {
namespace {

using namespace rondel::fixtures;

std::string Named(const char* name) { return std::string(kTestServicePrefix) + name; }

unique_hicon Shell32Icon(UINT index) {
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    return unique_hicon(::ExtractIconA(nullptr, (std::string(system) + "\\shell32.dll").c_str(), index));
}

int Height(const RECT& r) { return r.bottom - r.top; }

struct Dependencies {
    RondelWindow& w;
    HWND form = nullptr;

    explicit Dependencies(RondelWindow& main) : w(main) {
        w.Click(kIdDepend);
        WaitFor([&] { return (form = ::FindWindowA("TForm2", nullptr)) != nullptr && ::IsWindowVisible(form); });
    }
    HWND Control(int id) const { return ControlOf(form, id); }
    RECT At(int id) const { return BoundsOf(Control(id)); }
    bool Select(const std::string& name) const {
        const int index = ListItemOf(Control(kIdDependTo), name);
        if (index < 0) return false;
        ClickListItem(Control(kIdDependTo), index);
        return WaitFor([&] { return ::SendMessageW(Control(kIdDependTo), LB_GETCURSEL, 0, 0) == index; });
    }
    // The rules of the layout, checked against the live window at its present size.
    void ExpectLayout() const {
        RECT client{};
        ::GetClientRect(form, &client);
        const RECT close = At(kIdDependClose), view = At(kIdView), base = At(kIdBaseName), toLabel = At(kIdDependToLabel),
                   to = At(kIdDependTo), fromLabel = At(kIdDependFromLabel), from = At(kIdDependFrom),
                   status = At(kIdDependStatusBar);
        const int h = client.bottom - (Height(close) + Height(base) + Height(toLabel) + Height(fromLabel) +
                                       Height(status) + 36);
        EXPECT_EQ(close.left, client.right - 88 - 4);
        EXPECT_EQ(close.top, client.bottom - Height(close) - Height(status) - 4);
        EXPECT_EQ(view.left, 4);
        EXPECT_EQ(view.top, close.top);
        EXPECT_EQ(base.left, 4);
        EXPECT_EQ(base.top, 4);
        EXPECT_EQ(toLabel.top, base.bottom + 8);
        EXPECT_EQ(to.top, toLabel.bottom + 4);
        EXPECT_EQ(fromLabel.top, to.bottom + 8);
        EXPECT_EQ(from.top, fromLabel.bottom + 4);
        EXPECT_EQ(Height(to), h / 2);
        EXPECT_EQ(Height(from), h / 2) << "both lists the same height";
        EXPECT_EQ(close.top - from.bottom, 4 + h % 2) << "the spare pixel stays above the buttons";
        EXPECT_EQ(to.right - to.left, client.right - 8);
        EXPECT_EQ(status.bottom, client.bottom);
    }
};

TEST(DependenciesWindow, ListsTextsIconsLayoutKeyboardAndTheJump) {
    TestService alpha(ServiceDefinition(Named("DwAlpha")).Display("試験 依存 A"));
    TestService zeta(ServiceDefinition(Named("DwZeta")).Display("試験 依存 Z"));
    TestService main(ServiceDefinition(Named("DwMain")).Display("試験 依存 本体"));
    for (TestService* s : {&alpha, &zeta, &main}) ASSERT_EQ(s->CreateError(), 0u) << s->Name();
    std::string zetaLower = zeta.Name();
    std::transform(zetaLower.begin(), zetaLower.end(), zetaLower.begin(), [](char c) { return static_cast<char>(::tolower(c)); });
    const std::string missing = Named("DwMissing");
    ASSERT_EQ(main.SetMultiString("DependOnService", {zeta.Name(), "MountMgr", zetaLower, missing, alpha.Name()}),
              ERROR_SUCCESS);

    RondelWindow w;
    ASSERT_TRUE(w.ChooseTab(2));
    ASSERT_TRUE(w.Select(main.Name()));
    const Dependencies d(w);
    ASSERT_NE(d.form, nullptr);
    EXPECT_EQ(RemoteText(d.form), "サービス 依存関係");
    EXPECT_EQ(RemoteText(d.Control(kIdBaseName)), "試験 依存 本体 [ " + main.Name() + " ]");
    EXPECT_EQ(RemoteText(d.Control(kIdDependToLabel)), "試験 依存 本体 が依存しているサービス");
    EXPECT_EQ(RemoteText(d.Control(kIdDependFromLabel)), "試験 依存 本体 に依存しているサービス");

    // The close button has the focus; Tab goes on to the upper list, the lower list and 参照.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(::GetGUIThreadInfo(::GetWindowThreadProcessId(d.form, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, d.Control(kIdDependClose));
    HWND tab = d.Control(kIdDependClose);
    for (int id : {kIdDependTo, kIdDependFrom, kIdView, kIdDependClose}) {
        tab = ::GetNextDlgTabItem(d.form, tab, FALSE);
        EXPECT_EQ(tab, d.Control(id)) << id;
    }

    // Each dependency once, by display name, with its own icon.
    const HWND upper = d.Control(kIdDependTo);
    const std::vector<std::string> items = ListItems(upper);
    ASSERT_EQ(items.size(), 4u) << "the name given twice in different case counts once";
    EXPECT_EQ(items[0], "[ " + missing + " ] （存在しません）\r\n　　会社：\r\n　　説明：")
        << "no such service: said so, first by its empty name";
    const std::string alphaItem = items[static_cast<std::size_t>(ListItemOf(upper, alpha.Name()))];
    EXPECT_EQ(alphaItem.substr(0, alphaItem.find("\r\n")), "[ " + alpha.Name() + " ] 試験 依存 A　（停止）")
        << "each with its state";
    EXPECT_EQ(ListItemOf(upper, zetaLower), -1) << "spelled as met first";
    EXPECT_LT(ListItemOf(upper, alpha.Name()), ListItemOf(upper, zeta.Name()));
    EXPECT_EQ(ListItems(d.Control(kIdDependFrom)).size(), 0u) << "nothing depends on it";
    const unique_hicon serviceIcon(::ExtractIconA(nullptr, TestServicePath().c_str(), 0));
    EXPECT_TRUE(ListShowsIcon(upper, ListItemOf(upper, "MountMgr"), Shell32Icon(0).get())) << "the driver icon";
    EXPECT_TRUE(ListShowsIcon(upper, 0, Shell32Icon(2).get())) << "the default icon";
    EXPECT_TRUE(ListShowsIcon(upper, ListItemOf(upper, alpha.Name()), serviceIcon.get()));

    // The layout at its size, at the worked example's client of 412 x 333, and larger.
    d.ExpectLayout();
    const auto resizeClient = [&](int width, int height) {
        RECT outer{0, 0, width, height};
        ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongA(d.form, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongA(d.form, GWL_EXSTYLE)));
        ::SetWindowPos(d.form, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return WaitFor([&] {
            RECT client{};
            ::GetClientRect(d.form, &client);
            return client.right == width && client.bottom == height && BoundsOf(d.Control(kIdDependClose)).left == width - 92;
        }, 5000);
    };
    ASSERT_TRUE(resizeClient(412, 333));
    EXPECT_EQ(d.At(kIdDependClose).left, 320);
    EXPECT_EQ(d.At(kIdDependClose).top, 279);
    EXPECT_EQ(d.At(kIdView).top, 279);
    EXPECT_EQ(d.At(kIdDependTo).top, 40);
    EXPECT_EQ(Height(d.At(kIdDependTo)), 105);
    EXPECT_EQ(d.At(kIdDependTo).right - d.At(kIdDependTo).left, 404);
    EXPECT_EQ(d.At(kIdDependToLabel).top, 24);
    EXPECT_EQ(d.At(kIdDependFromLabel).top, 153);
    EXPECT_EQ(d.At(kIdDependFrom).top, 169);
    d.ExpectLayout();
    ASSERT_TRUE(resizeClient(530, 420));
    d.ExpectLayout();
    ::SetWindowPos(d.form, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] {
        RECT outer{};
        ::GetWindowRect(d.form, &outer);
        return outer.right - outer.left == 420 && outer.bottom - outer.top == 360;
    }, 5000)) << "never smaller than 420 x 360";

    // 参照: nothing selected does nothing; a driver is refused with a warning; a stopped
    // service is shown in the main window's stopped tab, and the window closes.
    ::PostMessageA(d.Control(kIdView), BM_CLICK, 0, 0);
    ::Sleep(500);
    EXPECT_EQ(::FindWindowA("TMessageForm", nullptr), nullptr);
    EXPECT_TRUE(::IsWindowVisible(d.form));

    ASSERT_TRUE(d.Select("MountMgr"));
    ::PostMessageA(d.Control(kIdView), BM_CLICK, 0, 0);
    const RondelWindow::Dialog warning = w.WaitForDialog();
    EXPECT_EQ(warning.caption, "警告");
    EXPECT_EQ(warning.text, "ドライバサービスは表示できません。");
    EXPECT_TRUE(w.Answer(warning, IDOK));
    EXPECT_TRUE(::IsWindowVisible(d.form)) << "the window stays open";

    ASSERT_TRUE(d.Select(alpha.Name()));
    ::PostMessageA(d.Control(kIdView), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(d.form) || !::IsWindow(d.form); }));
    EXPECT_TRUE(WaitFor([&] { return w.Tab() == 2 && w.Text(kIdServiceName) == alpha.Name(); }));
    EXPECT_EQ(w.Selected(), w.ItemOf(alpha.Name()));

    // Esc closes the window, as its close button would.
    const Dependencies again(w);
    ASSERT_NE(again.form, nullptr);
    ::PostMessageA(again.Control(kIdDependClose), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(again.form) || !::IsWindowVisible(again.form); }));
}

}  // namespace
}  // namespace rondel::e2e
