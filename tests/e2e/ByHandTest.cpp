// The real Rondel.exe driven only as a person drives it: the mouse moved over each control and
// clicked (SendInput, absolute coordinates), keys pressed while the window is in front. Every
// step checks what a person would then see, read from outside the program. A control whose
// input path is broken (a notification not reaching its handler, a key table not loaded) fails
// here even when a message posted to it would still work.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
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

// The start type the manager holds for the service; 0xFFFFFFFF when it cannot be read.
DWORD StartTypeOf(const std::string& serviceName) {
    const unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const unique_schandle service(manager ? ::OpenServiceA(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG) : nullptr);
    DWORD needed = 0;
    if (!service) return 0xFFFFFFFF;
    ::QueryServiceConfigA(service.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(std::max<DWORD>(needed, sizeof(QUERY_SERVICE_CONFIGA)));
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!::QueryServiceConfigA(service.get(), config, static_cast<DWORD>(buffer.size()), &needed)) return 0xFFFFFFFF;
    return config->dwStartType;
}

// A visible top-level window of the class that belongs to the process.
HWND ShownWindowOf(const char* className, HANDLE process) {
    struct Search {
        const char* className;
        DWORD processId;
        HWND found;
    } search{className, ::GetProcessId(process), nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            char kind[64] = {};
            DWORD owner = 0;
            ::GetClassNameA(window, kind, sizeof kind);
            ::GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || std::string(kind) != s->className || !::IsWindowVisible(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The screen's pixels over the rectangle, row by row.
std::vector<COLORREF> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    unique_hdc memory(::CreateCompatibleDC(screen));
    unique_hbitmap shot(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HGDIOBJ previous = ::SelectObject(memory.get(), shot.get());
    ::BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    const auto* words = static_cast<const COLORREF*>(bits);
    std::vector<COLORREF> pixels(words, words + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    ::SelectObject(memory.get(), previous);
    return pixels;
}

// Where a person sees the list's menu's item サービス名をコピー: the first of the two items between
// its third and fourth separators, the thin lines drawn across the menu. {-1, -1} when the menu
// does not show four of them.
POINT CopyNameItemOf(HWND menu) {
    RECT area{};
    ::GetWindowRect(menu, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 16 || height <= 16) return POINT{-1, -1};
    const std::vector<COLORREF> pixels = ScreenPixels(area);
    std::map<COLORREF, int> counts;
    for (const COLORREF pixel : pixels) ++counts[pixel];
    const COLORREF background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; })->first;
    const auto across = [&](int y) {
        int drawn = 0;
        for (int x = width / 8; x < width * 7 / 8; ++x) drawn += pixels[static_cast<std::size_t>(y * width + x)] != background;
        return drawn * 10 > (width * 3 / 4) * 9;
    };
    std::vector<int> lines;
    for (int y = 3; y < height - 3; ++y) {
        if (!across(y)) continue;
        int end = y;
        while (end + 1 < height - 3 && across(end + 1)) ++end;
        if (end - y < 3) lines.push_back((y + end) / 2);  // a line, not a highlighted item
        y = end;
    }
    if (lines.size() != 4) return POINT{-1, -1};
    return POINT{area.left + width / 2, area.top + lines[2] + (lines[3] - lines[2]) / 4};
}

TEST(ByHand, EveryControlAnswersAPersonsInput) {
    TestService run(ServiceDefinition(Named("HbRun")).Display("試験 手 実行中"));
    TestService paused(ServiceDefinition(Named("HbPaused")).Display("試験 手 一時停止中"));
    TestService base(ServiceDefinition(Named("HbBase")).Display("試験 手 依存先"));
    TestService top(ServiceDefinition(Named("HbTop")).Display("試験 手 依存元").DependsOn({Named("HbBase")}));
    TestService noStop(ServiceDefinition(Named("HbNoStop")).Display("試験 手 停止不可").Arguments("--no-stop"));
    for (TestService* s : {&run, &paused, &base, &top, &noStop}) ASSERT_EQ(s->CreateError(), 0u) << s->Name();
    ASSERT_EQ(run.StartAndWait(), 0u);
    ASSERT_EQ(noStop.StartAndWait(), 0u);
    ASSERT_EQ(paused.StartAndWait(), 0u);
    ASSERT_EQ(paused.PauseAndWait(), 0u);

    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);
    ASSERT_GE(w.WaitForItem(run.Name()), 0);
    const HWND list = w.Control(kIdList);

    // What a person sees after each step: the tab with its list's items, the selected service
    // with its details, the window free for the next request.
    const auto lists = [&](int tab, const TestService& listed, const TestService& notListed) {
        return WaitFor([&] { return w.Tab() == tab && w.ItemOf(listed.Name()) >= 0 && w.ItemOf(notListed.Name()) < 0; });
    };
    const auto selects = [&](int tab, const TestService& s) -> testing::AssertionResult {
        if (WaitFor([&] { return w.Idle() && w.Tab() == tab && w.Text(kIdServiceName) == s.Name(); }) &&
            w.Selected() == w.ItemOf(s.Name()) && w.Text(kIdDisplayName) == s.Definition().displayName)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "tab " << w.Tab() << ", item " << w.Selected() << " (its item "
                                           << w.ItemOf(s.Name()) << "), 「" << w.Text(kIdServiceName) << "」, status 「"
                                           << w.Status() << "」";
    };
    const auto clickTab = [&](int tab) {
        POINT centre = w.TabCentre(tab);
        ::ClientToScreen(w.Control(kIdTabMain), &centre);
        ClickAt(centre);
    };
    const auto itemOf = [&](const TestService& s) { return ItemCentre(list, w.ItemOf(s.Name())); };
    // After a command: the tab the service's new state belongs to, the service selected there.
    // A service may report that state a moment after it takes the control. When the window read
    // it still pending, that tab shows with nothing selected (as for any service pending at the
    // refresh), the service comes into it a round of the window's watcher later, and a person
    // clicks it. Most commands find their service in its new state at once.
    int commandsGiven = 0, readAsPending = 0, staleButtons = 0;
    const auto carriedOut = [&](int tab, const TestService& s, DWORD state) -> testing::AssertionResult {
        ++commandsGiven;
        if (!WaitFor([&] { return w.Idle() && w.Tab() == tab; }))
            return testing::AssertionFailure() << "tab " << w.Tab() << ", status 「" << w.Status() << "」";
        if (!s.WaitForState(state)) return testing::AssertionFailure() << "the manager has it in state " << s.State();
        if (!WaitFor([&] { return w.Idle() && w.Tab() == tab && w.ItemOf(s.Name()) >= 0; }))
            return testing::AssertionFailure() << "not listed in tab " << w.Tab();
        if (w.Text(kIdServiceName) != s.Name()) {
            if (w.Selected() != -1) return testing::AssertionFailure() << "「" << w.Text(kIdServiceName) << "」 selected";
            ++readAsPending;
            ClickAt(itemOf(s));
        }
        return selects(tab, s);
    };
    // A command's button, once it can be pressed. The buttons show what the service took when it
    // was selected: one selected while still pending keeps them so in the same tab (the window
    // follows tabs, not states), and a person presses F5, which asks again.
    const auto canPress = [&](int button) {
        if (WaitFor([&] { return w.Enabled(button); }, 2000)) return true;
        ++staleButtons;
        w.Press({VK_F5});
        return WaitFor([&] { return w.Idle() && w.Enabled(button); });
    };
    const auto formShown = [](const char* className) {
        HWND form = nullptr;
        WaitFor([&] { return (form = ::FindWindowA(className, nullptr)) != nullptr && ::IsWindowVisible(form); });
        return form;
    };
    const auto gone = [](HWND window) { return WaitFor([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }); };

    // Each tab by a click on it: its own services in the list.
    const struct {
        int tab;
        const TestService& listed;
        const TestService& notListed;
    } tabs[] = {{1, paused, run}, {2, top, paused}, {0, run, top}};
    for (const auto& t : tabs) {
        clickTab(t.tab);
        EXPECT_TRUE(lists(t.tab, t.listed, t.notListed)) << "tab " << t.tab;
    }

    // An item: its details and the commands it takes.
    ClickAt(itemOf(run));
    ASSERT_TRUE(selects(0, run));
    EXPECT_EQ(w.Text(kIdCompany), "ロンデル試験株式会社");
    EXPECT_EQ(w.Text(kIdFileName), TestServiceCommand());
    EXPECT_EQ(w.Text(kIdStart), "手動");
    EXPECT_TRUE(w.Enabled(kIdStop) && w.Enabled(kIdSleep) && !w.Enabled(kIdRun) && !w.Enabled(kIdReRun));

    // The four commands by their buttons, then by their keys: the manager's state, and the
    // service selected in the tab it moved to.
    const struct {
        int button;
        WORD key;
        DWORD state;
        int tab;
    } commands[] = {{kIdStop, 'T', SERVICE_STOPPED, 2},
                    {kIdRun, 'S', SERVICE_RUNNING, 0},
                    {kIdSleep, 'P', SERVICE_PAUSED, 1},
                    {kIdReRun, 'R', SERVICE_RUNNING, 0}};
    for (const auto& c : commands) {
        ASSERT_TRUE(canPress(c.button)) << c.button;
        ClickAt(w.Control(c.button));
        EXPECT_TRUE(carriedOut(c.tab, run, c.state)) << "button " << c.button;
    }

    // A start type chosen in the drop-down list is sent by 更新 alone.
    ClickAt(w.Control(kIdStart));
    HWND dropped = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dropped = ShownWindowOf("ComboLBox", w.Process())) != nullptr; })) << "the list opens";
    ClickAt(ItemCentre(dropped, 0));  // 自動
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(dropped) && w.Text(kIdStart) == "自動" && w.Enabled(kIdUpdate); }));
    EXPECT_EQ(StartTypeOf(run.Name()), static_cast<DWORD>(SERVICE_DEMAND_START)) << "nothing sent yet";
    ClickAt(w.Control(kIdUpdate));
    EXPECT_TRUE(WaitFor([&] { return StartTypeOf(run.Name()) == SERVICE_AUTO_START && w.Idle() && !w.Enabled(kIdUpdate); }));
    EXPECT_EQ(w.Text(kIdStart), "自動");

    // 依存関係: an item of its upper list and 参照, which shows that service in the main window;
    // opened again (for that service, whose dependents Wine's manager never names), its 閉じる.
    clickTab(2);
    ASSERT_TRUE(lists(2, top, run));
    ClickAt(itemOf(top));
    ASSERT_TRUE(selects(2, top));
    ClickAt(w.Control(kIdDepend));
    HWND form = formShown("TForm2");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(RemoteText(ControlOf(form, kIdBaseName)), "試験 手 依存元 [ " + top.Name() + " ]");
    const HWND upper = ControlOf(form, kIdDependTo);
    ASSERT_EQ(ListItemOf(upper, base.Name()), 0);
    ClickAt(ItemCentre(upper, 0));
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(upper, LB_GETCURSEL, 0, 0) == 0; }));
    ClickAt(ControlOf(form, kIdView));
    EXPECT_TRUE(gone(form));
    EXPECT_TRUE(selects(2, base)) << "参照";
    ClickAt(w.Control(kIdDepend));
    form = formShown("TForm2");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(RemoteText(ControlOf(form, kIdBaseName)), "試験 手 依存先 [ " + base.Name() + " ]") << "the service 参照 showed";
    ClickAt(ControlOf(form, kIdDependClose));
    EXPECT_TRUE(gone(form));
    EXPECT_TRUE(selects(2, base));

    // The list's menu by a right click, which selects the item; サービス名をコピー.
    clickTab(1);
    ASSERT_TRUE(lists(1, paused, run));
    ClearClipboard();
    RightClickAt(itemOf(paused));
    const HWND menu = formShown("#32768");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(selects(1, paused)) << "the right click selects";
    POINT copyName{-1, -1};
    ASSERT_TRUE(WaitFor([&] { return (copyName = CopyNameItemOf(menu)).x >= 0; }, 5000)) << "the menu's separators";
    ClickAt(copyName);
    EXPECT_TRUE(gone(menu));
    const std::pair<std::string, std::string> pausedName{paused.Name(), paused.Name()};
    EXPECT_TRUE(WaitFor([&] { return ClipboardTexts() == pausedName; }, 5000)) << ClipboardTexts().first;

    // The banner asks; いいえ opens nothing.
    ClickAt(w.Control(kIdLink));
    const RondelWindow::Dialog question = w.WaitForDialog(10000);
    EXPECT_EQ(question.caption, "確認");
    EXPECT_EQ(question.text, "ミルテへアクセスしますか？");
    if (question.window != nullptr) {
        ClickAt(::GetDlgItem(question.window, IDNO));
        EXPECT_TRUE(gone(question.window));
    }
    EXPECT_TRUE(w.Idle()) << w.Status();

    // The keys: the tabs in a ring each way, from tab 1 with the list's focus.
    const struct {
        std::initializer_list<WORD> keys;
        int tab;
        const TestService& listed;
        const TestService& notListed;
    } switches[] = {{{VK_CONTROL, VK_TAB}, 2, top, paused},
                    {{VK_CONTROL, VK_TAB}, 0, run, top},
                    {{VK_CONTROL, VK_SHIFT, VK_TAB}, 2, top, run},
                    {{VK_CONTROL, VK_SHIFT, VK_TAB}, 1, paused, top},
                    {{VK_CONTROL, VK_SHIFT, VK_TAB}, 0, run, paused}};
    for (const auto& s : switches) {
        w.Press(s.keys);
        EXPECT_TRUE(lists(s.tab, s.listed, s.notListed)) << "to tab " << s.tab;
    }
    ClickAt(itemOf(run));
    ASSERT_TRUE(selects(0, run));
    for (const auto& c : commands) {
        ASSERT_TRUE(canPress(c.button)) << c.button;
        w.Press({VK_MENU, c.key});
        EXPECT_TRUE(carriedOut(c.tab, run, c.state)) << "Alt+" << static_cast<char>(c.key);
    }
    // Esc asks before it stops the selected service, いいえ focused: Esc and Enter answer いいえ,
    // a click on はい stops it.
    ASSERT_TRUE(canPress(kIdStop));
    for (const WORD answer : {WORD{VK_ESCAPE}, WORD{VK_RETURN}}) {
        w.Press({VK_ESCAPE});
        const RondelWindow::Dialog asked = w.WaitForDialog(10000);
        EXPECT_EQ(asked.caption, "確認");
        EXPECT_EQ(asked.text, "サービス「" + run.Name() + "」を停止しますか？");
        EXPECT_EQ(w.Focus(), ::GetDlgItem(asked.window, IDNO)) << "いいえ by default";
        w.Press({answer});
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(asked.window) || !::IsWindowVisible(asked.window); }));
        ::Sleep(300);
        EXPECT_EQ(run.State(), DWORD{SERVICE_RUNNING}) << "いいえ stops nothing, by " << answer;
    }
    w.Press({VK_ESCAPE});
    const RondelWindow::Dialog asked = w.WaitForDialog(10000);
    ClickAt(::GetDlgItem(asked.window, IDYES));
    EXPECT_TRUE(carriedOut(2, run, SERVICE_STOPPED)) << "Esc, then はい";
    // F5 reads what changed behind the window's back, which its following of the states does
    // not: a display name written into the service's key. The service stays selected.
    ASSERT_EQ(run.SetString("DisplayName", "試験 手 改名"), ERROR_SUCCESS);
    EXPECT_EQ(w.Text(kIdDisplayName), "試験 手 実行中") << "nothing changes until F5";
    w.Press({VK_F5});
    EXPECT_TRUE(WaitFor([&] { return w.Idle() && w.Text(kIdDisplayName) == "試験 手 改名"; })) << "F5";
    EXPECT_EQ(w.Tab(), 2);
    EXPECT_EQ(w.Text(kIdServiceName), run.Name());
    const int renamed = w.Selected();
    ASSERT_GE(renamed, 0);
    EXPECT_EQ(renamed, w.ItemOf(run.Name()));
    EXPECT_EQ(w.Items()[static_cast<std::size_t>(renamed)].rfind("[ " + run.Name() + " ] 試験 手 改名", 0), 0u);
    ClearClipboard();
    w.Press({VK_CONTROL, 'C'});
    const std::pair<std::string, std::string> runName{run.Name(), run.Name()};
    EXPECT_TRUE(WaitFor([&] { return ClipboardTexts() == runName; }, 5000)) << ClipboardTexts().first;
    // Esc asks to pause a service that cannot be stopped.
    clickTab(0);
    ASSERT_TRUE(lists(0, noStop, run));
    ClickAt(itemOf(noStop));
    ASSERT_TRUE(selects(0, noStop));
    ASSERT_TRUE(canPress(kIdSleep));
    EXPECT_FALSE(w.Enabled(kIdStop));
    w.Press({VK_ESCAPE});
    const RondelWindow::Dialog pause = w.WaitForDialog(10000);
    EXPECT_EQ(pause.text, "サービス「" + noStop.Name() + "」を一時停止しますか？");
    ClickAt(::GetDlgItem(pause.window, IDYES));
    EXPECT_TRUE(carriedOut(1, noStop, SERVICE_PAUSED)) << "Esc, then はい";

    RecordProperty("commandsReadAsPending", readAsPending);
    RecordProperty("staleButtons", staleButtons);
    EXPECT_LT((readAsPending + staleButtons) * 2, commandsGiven) << "most commands leave their service selected and ready";

    // 閉じる ends the program, with 0.
    ClickAt(w.Control(kIdClose));
    ASSERT_EQ(::WaitForSingleObject(w.Process(), 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    EXPECT_TRUE(::GetExitCodeProcess(w.Process(), &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace rondel::e2e
