// The main window's keys and menu, driven from outside: F5, type-to-find, the list's menu,
// copying to the clipboard, and a restart that waits without freezing the window.
#include <gtest/gtest.h>
#include <windows.h>

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

// The keyboard alone: Ctrl+Tab and Ctrl+PgDn go round the tabs one way, Ctrl+Shift+Tab and
// Ctrl+PgUp the other, from any control; Shift+Tab from the list reaches the tab strip, whose
// arrows switch tabs; a command's button disabled under the focus hands it to the list.
TEST(Shortcuts, TheKeyboardReachesEveryTabAndTheFocusIsNeverLost) {
    TestService idle(ServiceDefinition(Named("KeysIdle")).Display("Kb 試験 鍵盤"));
    ASSERT_EQ(idle.CreateError(), 0u);
    RondelWindow w;
    ASSERT_TRUE(WaitFor([&] { return w.Focus() == w.Control(kIdList); }));
    const struct {
        std::initializer_list<WORD> keys;
        int tab;
    } switches[] = {
        {{VK_CONTROL, VK_TAB}, 1},           {{VK_CONTROL, VK_NEXT}, 2}, {{VK_CONTROL, VK_TAB}, 0},
        {{VK_CONTROL, VK_SHIFT, VK_TAB}, 2}, {{VK_CONTROL, VK_PRIOR}, 1},
    };
    for (const auto& s : switches) {
        w.Press(s.keys);
        EXPECT_TRUE(WaitFor([&] { return w.Tab() == s.tab; })) << "to tab " << s.tab;
    }
    w.Press({VK_SHIFT, VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return w.Focus() == w.Control(kIdTabMain); })) << "the strip is a stop";
    w.Press({VK_RIGHT});
    EXPECT_TRUE(WaitFor([&] { return w.Tab() == 2; }));
    w.Press({VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return w.Focus() == w.Control(kIdList); }));

    // Alt+S starts the service; its button is disabled meanwhile, and the list keeps the keys.
    ASSERT_TRUE(w.Select(idle.Name()));
    w.Press({VK_MENU, 'S'});
    ASSERT_TRUE(WaitFor([&] { return w.Idle() && w.Tab() == 0 && w.Text(kIdServiceName) == idle.Name(); }));
    EXPECT_EQ(w.Focus(), w.Control(kIdList));
    EXPECT_EQ(idle.StopAndWait(), 0u);
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

// The file in the temporary directory, deleted first; its whole content once it exists.
std::string TemporaryFile(const char* name) {
    char directory[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + name;
    ::DeleteFileA(path.c_str());
    return path;
}
std::string Contents(const std::string& path) {
    unique_file file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? ::GetFileSize(file.get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (file && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.clear();
    return bytes;
}

// The menu's "L", then the system's save dialog over the window: the file's name typed, Enter.
void SaveFromTheMenu(const RondelWindow& w, const std::string& file) {
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
