// The main window's keys and menu, driven from outside: F5, type-to-find, the list's menu,
// copying to the clipboard, and a restart that waits without freezing the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "RondelWindow.h"
#include "TestService.h"
#include "platform/Win32Handles.h"
#include "ui/Unit1.h"

namespace rondel::e2e {
namespace {

using namespace rondel::fixtures;

std::string Named(const char* name) { return std::string(kTestServicePrefix) + name; }

void Type(const RondelWindow& w, const std::string& text) {
    for (const char c : text) ::PostMessageA(w.Control(kIdList), WM_CHAR, static_cast<unsigned char>(c), 1);
}



TEST(Shortcuts, TypingFindsAServiceAndF5FollowsItToItsNewTab) {
    TestService spin(ServiceDefinition(Named("KeysSpin")).Display("Sp 試験 検索"));
    ASSERT_EQ(spin.CreateError(), 0u);
    ASSERT_EQ(spin.StartAndWait(), 0u);

    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);
    Type(w, "sp");
    ASSERT_TRUE(WaitFor([&] { return w.Text(kIdServiceName) == spin.Name(); }));
    EXPECT_EQ(w.Selected(), w.ItemOf(spin.Name()));
    EXPECT_TRUE(w.Enabled(kIdStop)) << "selected as by a click";

    ASSERT_EQ(spin.StopAndWait(), 0u);
    EXPECT_EQ(w.Tab(), 0) << "nothing changes until F5";
    w.PostKey(VK_F5);
    ASSERT_TRUE(WaitFor([&] { return w.Tab() == 2 && w.Text(kIdServiceName) == spin.Name(); }));
    EXPECT_EQ(w.Selected(), w.ItemOf(spin.Name()));
    EXPECT_TRUE(w.Enabled(kIdRun));
    EXPECT_EQ(w.Status(), "F5 キーで最新の状態に更新します");
}

// Each key from each control that can hold the focus, pressed as a person presses it, the focus
// put there by a click on the service and Tab from the list: Tab and Shift+Tab go to the next and
// the previous stop, Ctrl+Tab and Ctrl+Shift+Tab show the next and the previous tab's services,
// F5 shows what changed behind the window's back, Esc asks (いいえ, by Esc, stops nothing), Alt+T
// and Alt+S stop and start the selected service. The focus is never lost: a command's button
// disabled under it hands it to the list.
TEST(Shortcuts, EachKeyHasItsEffectFromEveryControlThatHoldsTheFocus) {
    TestService subject(ServiceDefinition(Named("KeysSubject")).Display("Kb 試験 鍵盤"));
    TestService paused(ServiceDefinition(Named("KeysPaused")).Display("Kb 試験 一時停止"));
    TestService stopped(ServiceDefinition(Named("KeysStopped")).Display("Kb 試験 停止"));
    for (TestService* s : {&subject, &paused, &stopped}) ASSERT_EQ(s->CreateError(), 0u);
    ASSERT_EQ(subject.StartAndWait(), 0u);
    ASSERT_EQ(paused.StartAndWait(), 0u);
    ASSERT_EQ(paused.PauseAndWait(), 0u);
    RondelWindow w;
    ASSERT_TRUE(WaitFor([&] { return w.Focus() == w.Control(kIdList); }));

    // The Tab order with the service running, and stopped. The start type is chosen on the way
    // (Down in the closed drop-down list, nothing sent), so that 更新 is a stop after it.
    const std::vector<int> whileRunning{kIdList, kIdStop, kIdSleep, kIdStart, kIdUpdate, kIdDepend, kIdClose, kIdTabMain};
    const std::vector<int> whileStopped{kIdList, kIdRun, kIdStart, kIdUpdate, kIdDepend, kIdClose, kIdTabMain};
    enum Effect { NextStop, PreviousStop, NextTab, PreviousTab, ReadAgain, AsksNo, Stops, Starts };
    const struct {
        const char* name;
        std::initializer_list<WORD> keys;
        Effect effect;
    } table[] = {
        {"Tab", {VK_TAB}, NextStop},
        {"Shift+Tab", {VK_SHIFT, VK_TAB}, PreviousStop},
        {"Ctrl+Tab", {VK_CONTROL, VK_TAB}, NextTab},
        {"Ctrl+Shift+Tab", {VK_CONTROL, VK_SHIFT, VK_TAB}, PreviousTab},
        {"F5", {VK_F5}, ReadAgain},
        {"Esc", {VK_ESCAPE}, AsksNo},
        {"Alt+T", {VK_MENU, 'T'}, Stops},
        {"Alt+S", {VK_MENU, 'S'}, Starts},
    };
    const auto shows = [&](int tab) {
        return w.Idle() && w.Tab() == tab && w.Text(kIdServiceName) == subject.Name() &&
               w.Selected() == w.ItemOf(subject.Name());
    };
    const auto focusOn = [&](int id) { return WaitFor([&] { return w.Focus() == w.Control(id); }, 5000); };
    // The service in the state the row needs, selected by a click, then Tab up to the focus.
    int clicks = 0;
    const auto prepare = [&](const std::vector<int>& stops, int focus) -> testing::AssertionResult {
        const bool running = &stops == &whileRunning;
        const int tab = running ? 0 : 2;
        if (subject.State() != (running ? DWORD{SERVICE_RUNNING} : DWORD{SERVICE_STOPPED})) {
            if ((running ? subject.StartAndWait() : subject.StopAndWait()) != 0)
                return testing::AssertionFailure() << "the service's state";
            WaitFor([&] { return shows(tab); }, 5000);  // the selected service followed
        }
        if (!WaitFor([&] { return w.Idle(); }) || (w.Tab() != tab && !w.ChooseTab(tab)))
            return testing::AssertionFailure() << "tab " << w.Tab();
        // Two clicks on one spot within the double-click time are a double click, which gives a
        // list box no focus: each click lands a little aside from the one before.
        POINT item = ItemCentre(w.Control(kIdList), w.WaitForItem(subject.Name()));
        item.x += (clicks++ % 2) * 40;
        ClickAt(item);
        if (!WaitFor([&] { return shows(tab) && w.Enabled(running ? kIdStop : kIdRun) && w.Focus() == w.Control(kIdList); }))
            return testing::AssertionFailure() << "the click: tab " << w.Tab() << ", item " << w.Selected() << ", focus "
                                               << ::GetDlgCtrlID(w.Focus()) << ", status " << w.Status();
        for (const int& stop : stops) {
            if (stop == kIdStart) {
                w.Press({VK_DOWN});
                if (!WaitFor([&] { return w.Enabled(kIdUpdate); }, 5000)) return testing::AssertionFailure() << "no choice";
            }
            if (stop == focus) return testing::AssertionSuccess();
            w.Press({VK_TAB});
            if (!focusOn(stops[static_cast<std::size_t>(&stop - stops.data()) + 1]))
                return testing::AssertionFailure() << "Tab from " << stop;
        }
        return testing::AssertionFailure() << focus << " is no stop";
    };
    int renamed = 0, rows = 0;
    for (const int focus : {kIdList, kIdRun, kIdStop, kIdSleep, kIdStart, kIdUpdate, kIdDepend, kIdClose, kIdTabMain}) {
        for (const auto& row : table) {
            const std::vector<int>& stops = row.effect == Starts ? whileStopped : whileRunning;
            const auto at = std::find(stops.begin(), stops.end(), focus);
            if (at == stops.end()) continue;
            SCOPED_TRACE(testing::Message() << row.name << " from control " << focus);
            ++rows;
            ASSERT_TRUE(prepare(stops, focus));
            const std::size_t k = static_cast<std::size_t>(at - stops.begin()), n = stops.size();
            const std::string name = "Kb 試験 改名 " + std::to_string(++renamed);
            if (row.effect == ReadAgain) {
                ASSERT_EQ(subject.SetString("DisplayName", name), ERROR_SUCCESS);
            }
            w.Press(row.keys);
            switch (row.effect) {
            case NextStop:
            case PreviousStop:
                EXPECT_TRUE(focusOn(stops[(k + (row.effect == NextStop ? 1 : n - 1)) % n]));
                break;
            case NextTab:
            case PreviousTab: {
                const TestService& listed = row.effect == NextTab ? paused : stopped;
                EXPECT_TRUE(WaitFor([&] {
                    return w.Tab() == (row.effect == NextTab ? 1 : 2) && w.ItemOf(listed.Name()) >= 0 &&
                           w.ItemOf(subject.Name()) < 0;
                })) << "the list shows the tab's services";
                break;
            }
            case ReadAgain:
                EXPECT_TRUE(WaitFor([&] {
                    const std::vector<std::string> items = w.Items();
                    const int item = w.Selected();
                    return shows(0) && w.Text(kIdDisplayName) == name && item >= 0 &&
                           items[static_cast<std::size_t>(item)].rfind("[ " + subject.Name() + " ] " + name, 0) == 0;
                }));
                break;
            case AsksNo: {
                const RondelWindow::Dialog asked = w.WaitForDialog(10000);
                EXPECT_EQ(asked.text, "サービス「" + subject.Name() + "」を停止しますか？");
                w.Press({VK_ESCAPE});
                EXPECT_TRUE(WaitFor([&] { return !::IsWindow(asked.window) || !::IsWindowVisible(asked.window); }));
                ::Sleep(300);
                EXPECT_EQ(subject.State(), DWORD{SERVICE_RUNNING}) << "いいえ stops nothing";
                EXPECT_TRUE(w.Idle());
                break;
            }
            case Stops:
            case Starts:
                EXPECT_TRUE(subject.WaitForState(row.effect == Stops ? SERVICE_STOPPED : SERVICE_RUNNING));
                EXPECT_TRUE(WaitFor([&] { return shows(row.effect == Stops ? 2 : 0); })) << w.Status();
                EXPECT_TRUE(focusOn(kIdList)) << "the list keeps the keys";
                break;
            }
            EXPECT_NE(w.Focus(), nullptr) << "the focus is never lost";
        }
    }
    EXPECT_EQ(rows, 8 * 7 + 7);
    // Ctrl+PgDn and Ctrl+PgUp as Ctrl+Tab and Ctrl+Shift+Tab; the strip's arrows switch tabs.
    const struct {
        std::initializer_list<WORD> keys;
        int tab;
    } switches[] = {{{VK_CONTROL, VK_NEXT}, 1}, {{VK_CONTROL, VK_PRIOR}, 0}, {{VK_CONTROL, VK_PRIOR}, 2},
                    {{VK_CONTROL, VK_NEXT}, 0}, {{VK_SHIFT, VK_TAB}, 0},     {{VK_RIGHT}, 1}};
    for (const auto& s : switches) {
        w.Press(s.keys);
        EXPECT_TRUE(WaitFor([&] { return w.Tab() == s.tab; })) << "to tab " << s.tab;
    }
    EXPECT_EQ(w.Focus(), w.Control(kIdTabMain));
}

TEST(Shortcuts, TheMenuCopiesTheDetailsInBothFormats) {
    TestService running(ServiceDefinition(Named("MenuRunning")).Display("試験 メニュー 実行中"));
    ASSERT_EQ(running.CreateError(), 0u);
    ASSERT_EQ(running.StartAndWait(), 0u);
    ASSERT_EQ(running.SetString("Description", "一行目\n二行目"), ERROR_SUCCESS);
    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);

    // A right click selects the item; the menu's "C" copies its details.
    ClearClipboard();
    const HWND list = w.Control(kIdList);
    const int index = w.ItemOf(running.Name());
    ::SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    const int row = index - static_cast<int>(::SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    ::PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, row * 46 + 23));
    ::PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(60, row * 46 + 23));
    ASSERT_TRUE(MenuShows(true));
    EXPECT_EQ(w.Text(kIdServiceName), running.Name());
    ::PostMessageA(list, WM_CHAR, 'c', 1);
    EXPECT_TRUE(MenuShows(false));
    const std::string details = "サービス名: " + running.Name() + "\r\n表示名: 試験 メニュー 実行中\r\n"
                                "会社名: ロンデル試験株式会社\r\n説　明: ロンデル試験用サービス\r\n"
                                "実ファイル: " + TestServiceCommand() + "\r\nサービスの説明: 一行目\r\n  二行目\r\n"
                                "スタートアップの種類: 手動\r\n";
    EXPECT_TRUE(WaitFor([&] { return ClipboardTexts() == std::pair{details, details}; }, 5000)) << ClipboardTexts().first;

}


// The menu's "L", then the system's save dialog over the window: the file's name typed, Enter;
// for a file that exists, はい to the dialog's question whether to replace it.
void SaveFromTheMenu(const RondelWindow& w, const std::string& file, bool replace = false) {
    ::PostMessageA(w.Control(kIdList), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.Control(kIdList)), MAKELPARAM(-1, -1));
    ASSERT_TRUE(MenuShows(true));
    ::PostMessageA(w.Control(kIdList), WM_CHAR, 'l', 1);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        dialog = ::FindWindowA("#32770", nullptr);
        return dialog != nullptr && ::IsWindowVisible(dialog) && ::GetWindow(dialog, GW_OWNER) == w.Main();
    }));
    HWND name = ::GetDlgItem(dialog, 1148);  // the file name's box
    if (name == nullptr) name = ::GetDlgItem(dialog, 1152);
    ASSERT_NE(name, nullptr);
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (!replace) return;
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        question = ::FindWindowA("#32770", nullptr);
        return question != nullptr && ::IsWindowVisible(question) && ::GetWindow(question, GW_OWNER) == dialog;
    }));
    ::PostMessageA(::GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
}

TEST(Shortcuts, TheMenuSavesTheThreeTabsAsRondelListsCsvAndAClosedWindowStillSaves) {
    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);
    const std::string saved = TemporaryFile("rondel-saved.csv");
    const std::string listed = TemporaryFile("rondel-listed.csv");
    const std::string closing = TemporaryFile("rondel-closing.csv");

    SaveFromTheMenu(w, saved);
    ASSERT_TRUE(WaitFor([&] { return w.Idle() && !Contents(saved).empty(); }));
    ASSERT_EQ(RunAndWait("\"" + BuildDirectory() + "RondelList.exe\" --csv --output \"" + listed + "\"", 60000), 0u);
    EXPECT_EQ(Contents(saved).rfind("\xEF\xBB\xBFtab,service name,", 0), 0u);
    EXPECT_EQ(Contents(saved), Contents(listed));

    // Over an older file, longer than the list: the list replaces it whole.
    {
        const std::string older(Contents(listed).size() * 2, 'x');
        unique_file file(::CreateFileA(saved.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(file && ::WriteFile(file.get(), older.data(), static_cast<DWORD>(older.size()), &written, nullptr));
    }
    SaveFromTheMenu(w, saved, true);
    EXPECT_TRUE(WaitFor([&] { return w.Idle() && Contents(saved) == Contents(listed); })) << Contents(saved).size();

    // The window closed right behind the save's start: the program ends once the file is whole.
    SaveFromTheMenu(w, closing);
    ::PostMessageA(w.Main(), WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(w.Process(), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(Contents(closing), Contents(listed));
}

TEST(Shortcuts, RestartWaitsForTheStopWithoutFreezingTheWindow) {
    TestService slow(ServiceDefinition(Named("RestartSlow")).Display("試験 再起動").Arguments("--linger-stop=2000"));
    ASSERT_EQ(slow.CreateError(), 0u);
    ASSERT_EQ(slow.StartAndWait(), 0u);
    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);
    ASSERT_TRUE(w.Select(slow.Name()));

    ::PostMessageA(w.Main(), WM_COMMAND, kCmdRestart, 0);
    ASSERT_TRUE(WaitFor([&] { return slow.State() == SERVICE_STOP_PENDING; }, 5000));
    // The window answers at once, says what it does and takes no other command meanwhile, even
    // when F5 shows the service again.
    w.PostKey(VK_F5);
    int answered = 0;
    while (slow.State() == SERVICE_STOP_PENDING) {
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutA(w.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result)) ++answered;
        EXPECT_EQ(w.Status(), "サービス「" + slow.Name() + "」を停止しています…");
        EXPECT_FALSE(w.Enabled(kIdStop) || w.Enabled(kIdRun) || w.Enabled(kIdSleep) || w.Enabled(kIdReRun));
        ::Sleep(100);
    }
    EXPECT_GE(answered, 10) << "two seconds of stopping";

    // What was done is told until the next request.
    ASSERT_TRUE(WaitFor([&] { return w.Status().rfind("サービス「" + slow.Name() + "」を再起動しました（", 0) == 0; }));
    EXPECT_TRUE(WaitFor([&] { return slow.State() == SERVICE_RUNNING; }));
    EXPECT_EQ(w.Tab(), 0);
    EXPECT_EQ(w.Text(kIdServiceName), slow.Name());
    EXPECT_EQ(w.Selected(), w.ItemOf(slow.Name()));
    EXPECT_TRUE(w.Enabled(kIdStop));
}

// Ctrl+F opens the filter over the list: what is typed keeps, in each tab, the services that hold
// it, and the bar tells how many; Esc in the field clears and closes it, and stops nothing.
TEST(Shortcuts, CtrlFFiltersTheTabsAndEscInTheFieldClearsItAndStopsNothing) {
    TestService one(ServiceDefinition(Named("FiltOne")).Display("試験 絞り込み 一"));
    TestService two(ServiceDefinition(Named("FiltTwo")).Display("試験 絞り込み 二"));
    for (TestService* s : {&one, &two}) {
        ASSERT_EQ(s->CreateError(), 0u);
        ASSERT_EQ(s->StartAndWait(), 0u);
    }
    RondelWindow w;
    ASSERT_TRUE(w.Select(one.Name()));
    const std::size_t all = w.Items().size();
    ASSERT_FALSE(::IsWindowVisible(w.Control(kIdFilterPanel))) << "closed, it takes no room";

    w.Press({VK_CONTROL, 'F'});
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(w.Control(kIdFilterPanel)) && w.Focus() == w.Control(kIdFilter); }));
    for (const WORD key : {'F', 'I', 'L', 'T', 'O'}) w.Press({key});
    ASSERT_TRUE(WaitFor([&] { return w.Items().size() == 1 && w.ItemOf(one.Name()) == 0; })) << w.Items().size();
    EXPECT_EQ(w.Selected(), 0) << "the selected service, still kept, stays selected";
    EXPECT_EQ(w.Text(kIdFilterCount).rfind("一致: 開始 1　", 0), 0u) << w.Text(kIdFilterCount);
    EXPECT_LT(BoundsOf(w.Control(kIdFilterPanel)).bottom, BoundsOf(w.Control(kIdList)).top + 1) << "above the list";

    w.Press({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w.Control(kIdFilterPanel)); }));
    EXPECT_TRUE(WaitFor([&] { return w.Items().size() == all; }));
    EXPECT_EQ(w.Focus(), w.Control(kIdList));
    ::Sleep(500);
    EXPECT_EQ(one.State(), DWORD{SERVICE_RUNNING}) << "Esc in the field stops no service";
    EXPECT_TRUE(w.Idle());
}

}  // namespace
}  // namespace rondel::e2e
