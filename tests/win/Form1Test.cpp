// The main window in this process, over services of the in-memory machine (the registry and the
// Service Control Manager) and Wine's own shell and files: the answers Wine never gives (1051),
// registry values of the wrong kind, and a window thread that never asks the machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "DialogAnswer.h"
#include "FormSupport.h"
#include "MixedMachine.h"
#include "ui/Unit1.h"

namespace rondel::testing {
namespace {

using namespace platform;

// What the user sees of the window, for "nothing changed".
struct Shown {
    int tab, selected, items;
    std::vector<std::string> texts;
    std::vector<bool> enabled;
    bool operator==(const Shown&) const = default;
};

Shown Look(TForm1& f) {
    Shown s{f.TC_Main.TabIndex(), f.GLB_List.ItemIndex(), f.GLB_List.Items().Count(), {}, {}};
    for (TEdit* e : {&f.ED_ServiceName, &f.ED_DisplayName, &f.ED_Company, &f.ED_Description, &f.ED_FileName,
                     static_cast<TEdit*>(&f.MM_Description)})
        s.texts.push_back(e->Text());
    s.texts.push_back(f.CB_Start.Text());
    for (TWinControl* c : std::initializer_list<TWinControl*>{&f.BB_Run, &f.BB_Stop, &f.BB_Sleep, &f.BB_ReRun,
                                                               &f.BB_Update, &f.BB_Depend, &f.CB_Start})
        s.enabled.push_back(c->Enabled());
    return s;
}

// A click as the system delivers it, so that an error raised by the handler reaches the
// general error handler instead of the test.
void Press(TWinControl& control) { ::SendMessageA(control.Handle(), BM_CLICK, 0, 0); }

void ChooseItem(TForm1& f, int index) {
    f.GLB_List.SetItemIndex(index);
    ::SendMessageA(f.Handle(), WM_COMMAND, MAKEWPARAM(f.GLB_List.ControlId(), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(f.GLB_List.Handle()));
}

class Form1Double : public ::testing::Test {
protected:
    Form1Double() {
        auto& running = m.fake.AddService("RondelT_Alpha", "アルファ", "C:\\nowhere\\alpha.exe", kServiceRunning);
        running.controlsAccepted = kServiceAcceptStop | kServiceAcceptPauseContinue;
        m.fake.AddService("RondelT_Beta", "ベータ", "C:\\nowhere\\beta.exe", kServiceRunning);
        m.fake.AddService("RondelT_Stopped", "停止中", "C:\\nowhere\\stopped.exe", kServiceStopped);
    }
    ~Form1Double() override {
        form.reset();
        EXPECT_EQ(m.fake.services.OpenHandles(), 0);
        EXPECT_EQ(m.fake.registry.OpenHandles(), 0);
    }
    TForm1& Form() {
        if (!form) {
            // The in-memory machine answers one thread at a time.
            form = std::make_unique<TForm1>(m.system, Form1Options{true, false});
            EXPECT_TRUE(Settle(*form));
        }
        return *form;
    }

    MixedMachine m;
    std::unique_ptr<TForm1> form;
};

// Wine never moves a window to a screen of another DPI: the test sends what Windows would.
TEST_F(Form1Double, AMoveToAScreenOfAnotherDpiScalesSizesFontsItemsAndTabs) {
    TForm1& f = Form();
    const auto moveTo = [&](int dpi, int width, int height) {
        RECT suggested{10, 10, 10 + width, 10 + height};
        ::SendMessageA(f.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    };
    const auto fontHeight = [](TWinControl& control) {
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight;
    };
    for (const auto& [dpi, width, height, base, command, item, font, tabWidth] :
         {std::tuple{144, 960, 720, 258, SIZE{180, 38}, 69, -18, 270}, {96, 640, 480, 172, SIZE{120, 25}, 46, -12, 180}}) {
        moveTo(dpi, width, height);
        EXPECT_EQ(f.Dpi(), dpi);
        EXPECT_EQ(f.Width(), width);
        EXPECT_EQ(f.Height(), height);
        EXPECT_EQ(f.PL_Base.Height(), base) << dpi;
        EXPECT_EQ(f.BB_Run.Width(), command.cx) << dpi;
        EXPECT_EQ(f.BB_Run.Height(), command.cy) << dpi;
        EXPECT_EQ(f.GLB_List.ItemHeight(), item) << dpi;
        EXPECT_EQ(fontHeight(f.LL_ServiceName), font) << dpi;
        EXPECT_EQ(fontHeight(f.GLB_List), font) << dpi;
        RECT tab{};
        ::SendMessageA(f.TC_Main.Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
        EXPECT_EQ(tab.right - tab.left, tabWidth) << dpi;
        // Laid out anew: the close button keeps its margin at the panel's right end.
        EXPECT_EQ(f.BB_Close.Left() + f.BB_Close.Width(), f.PL_Base.Width() - ScaleForDpi(4, dpi)) << dpi;
    }
}

TEST_F(Form1Double, RefusedRequestsShowTheirTextAndChangeNothing) {
    TForm1& f = Form();
    ASSERT_EQ(f.GLB_List.Items().Count(), 2);
    const std::size_t enumerations = m.fake.services.enumBufferSizes.size();

    // Nothing selected: a command does nothing and opens nothing.
    f.BB_RunClick();
    f.BB_StopClick();
    EXPECT_TRUE(m.fake.services.openedServices.empty());

    const struct {
        uint32_t error;
        const char* text;
    } refusals[] = {
        {1051, "ほかのサービスがこのサービスに依存しているため､ サービスを停止できません。"},
        {1053, "停止要求にサービスが時間内に応答しません。"},
        {1061, "要求された制御コードをサービスに送ることができません。"},
        {5, "アクセスが拒否されました。（エラー 5）"},
    };
    ASSERT_TRUE(SelectService(f, "RondelT_Alpha"));
    for (const auto& refusal : refusals) {
        m.fake.services.Find("RondelT_Alpha")->controlError = refusal.error;
        const Shown before = Look(f);
        DialogAnswer answer(DialogAnswer::ClickButton, IDOK);
        Press(f.BB_Stop);
        EXPECT_TRUE(Settle(f));
        EXPECT_EQ(answer.Seen().caption, "エラー");
        EXPECT_EQ(answer.Seen().text, refusal.text) << refusal.error;
        EXPECT_EQ(answer.Seen().buttons, "OK");
        EXPECT_TRUE(Look(f) == before) << "a refusal leaves the window as it was, " << refusal.error;
    }
    EXPECT_EQ(m.fake.services.enumBufferSizes.size(), enumerations) << "nothing was rebuilt";
    EXPECT_EQ(m.fake.services.closedHandles.back(), "manager") << "the service's handle goes first";
}

// A service deleted since the list was shown: the open's error is told; clicked again, it shows
// no start type and offers none.
TEST_F(Form1Double, AServiceDeletedMeanwhileIsReportedAndHasNoStartType) {
    TForm1& f = Form();
    ASSERT_TRUE(SelectService(f, "RondelT_Beta"));
    m.fake.services.Find("RondelT_Beta")->name = "RondelT_Gone";
    m.fake.registry.DeleteKey(fake::FakeMachine::ServiceKey("RondelT_Beta"));
    {
        DialogAnswer answer(DialogAnswer::ClickButton, IDOK);
        Press(f.BB_Stop);
        EXPECT_TRUE(Settle(f));
        EXPECT_EQ(answer.Seen().text, "サービスは存在しません。（エラー 1060）");
    }
    ChooseItem(f, f.GLB_List.ItemIndex());
    EXPECT_TRUE(Settle(f));
    EXPECT_EQ(f.ED_ServiceName.Text(), "RondelT_Beta");
    EXPECT_TRUE(f.CB_Start.ItemIndex() == -1 && !f.CB_Start.Enabled() && !f.BB_Update.Enabled());
}

// A service whose "Start" is missing: the error is told, the panel shows the clicked service
// without a start type, and what is done next is done to it (the value is created).
TEST_F(Form1Double, AMissingStartValueIsReportedAndTheClickedServiceIsShownAndActedOn) {
    m.fake.registry.DeleteValue(fake::FakeMachine::ServiceKey("RondelT_Beta"), "Start");
    TForm1& f = Form();
    ASSERT_TRUE(SelectService(f, "RondelT_Alpha"));
    const int beta = f.Model().IndexOf(kRunningTab, "RondelT_Beta");
    {
        DialogAnswer answer(DialogAnswer::ClickButton, IDOK);
        ChooseItem(f, beta);
        EXPECT_TRUE(Settle(f));
        EXPECT_EQ(answer.Seen().text, "'Start' の取得に失敗しました.");
    }
    const Shown after = Look(f);
    EXPECT_EQ(after.selected, beta);
    EXPECT_EQ(after.texts[0], "RondelT_Beta");
    EXPECT_EQ(after.texts[1], "ベータ");
    EXPECT_EQ(after.texts[6], "") << "no start type";
    EXPECT_TRUE(f.BB_Depend.Enabled());
    EXPECT_FALSE(f.BB_Update.Enabled());

    f.CB_Start.SetItemIndex(0);
    f.CB_Start.OnChange();
    Press(f.BB_Update);
    EXPECT_TRUE(Settle(f));
    EXPECT_EQ(m.fake.services.Find("RondelT_Beta")->startType, 2u);
    EXPECT_EQ(m.fake.services.Find("RondelT_Alpha")->startType, 3u);

    // A name in none of the lists (a driver) changes nothing.
    const Shown before = Look(f);
    EXPECT_FALSE(SelectService(f, "SomeDriver"));
    EXPECT_TRUE(Look(f) == before);
}

// The list's menu opened from the keyboard (the menu key, or Shift+F10), read while it shows:
// whether each item can be chosen.
std::vector<bool> MenuStates(TForm1& f, bool shiftF10 = false) {
    static std::vector<bool> seen;
    seen.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND popup = ::FindWindowA("#32768", nullptr);
        if (popup == nullptr || !::IsWindowVisible(popup)) return;
        const auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if ((state & MF_SEPARATOR) == 0) seen.push_back((state & MF_GRAYED) == 0);
        }
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shiftF10 ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::SendMessageA(f.GLB_List.Handle(), shiftF10 ? WM_SYSKEYDOWN : WM_KEYDOWN, shiftF10 ? VK_F10 : VK_APPS, 1);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    ::KillTimer(nullptr, timer);
    return seen;
}

// The menu offers what the model allows (its rules are tested natively), by either key.
TEST_F(Form1Double, TheListMenuEnablesItsItemsAsTheButtons) {
    m.fake.services.Find("RondelT_Beta")->controlsAccepted = 0;
    TForm1& f = Form();
    // Start, stop, pause, continue, restart; with the dependents: stop, restart; end the process;
    // dependencies, the two copies, saving the list and the home page.
    EXPECT_EQ(MenuStates(f), (std::vector<bool>{false, false, false, false, false, false, false, false, false, false, false, true, true}));
    ASSERT_TRUE(SelectService(f, "RondelT_Alpha"));
    EXPECT_EQ(MenuStates(f), (std::vector<bool>{false, true, true, false, true, false, false, false, true, true, true, true, true}));
    EXPECT_TRUE(f.BB_Stop.Enabled() && f.BB_Sleep.Enabled() && !f.BB_Run.Enabled() && !f.BB_ReRun.Enabled());
    ASSERT_TRUE(SelectService(f, "RondelT_Beta"));  // accepts no control
    EXPECT_EQ(MenuStates(f), (std::vector<bool>{false, false, false, false, false, false, false, false, true, true, true, true, true}));
    ASSERT_TRUE(SelectService(f, "RondelT_Stopped"));
    EXPECT_EQ(MenuStates(f, true), (std::vector<bool>{true, false, false, false, false, false, false, false, true, true, true, true, true}));
}

// Whatever the person does, the window's own thread never asks the machine: every call comes
// from the session's worker.
TEST(Form1Thread, TheWindowsThreadNeverAsksTheMachine) {
    fake::FakeMachine machine;
    machine.AddService("RondelT_Run", "走る", "C:\\svc\\run.exe", kServiceRunning);
    machine.AddService("RondelT_Other", "他", "C:\\svc\\other.exe", kServiceRunning);
    machine.AddService("RondelT_Stop", "止まる", "C:\\svc\\stop.exe", kServiceStopped);
    platform::Platform system = machine.Platform();
    {
        TForm1 f(system, Form1Options{true, false});
        ASSERT_TRUE(Settle(f));
        ASSERT_EQ(f.GLB_List.Items().Count(), 2);
        ChooseItem(f, 0);
        ASSERT_TRUE(Settle(f));
        f.ExecuteCommand(kCmdNextTab);
        f.ExecuteCommand(kCmdPreviousTab);
        ChooseItem(f, 1);
        f.ExecuteCommand(kCmdRefresh);
        ASSERT_TRUE(Settle(f));
        Press(f.BB_Stop);
        ASSERT_TRUE(Settle(f));
        f.CB_Start.SetItemIndex(0);
        f.CB_Start.OnChange();
        Press(f.BB_Update);
        ASSERT_TRUE(Settle(f));
        f.Session().Watch();
        ASSERT_TRUE(Settle(f));
        EXPECT_EQ(machine.services.Find("RondelT_Other")->currentState, kServiceStopped) << "the requests were made";
    }
    const std::set<std::thread::id> callers = machine.callers.Seen();
    EXPECT_FALSE(callers.empty());
    EXPECT_EQ(callers.count(std::this_thread::get_id()), 0u) << "the window's thread asked the machine";
}

}  // namespace
}  // namespace rondel::testing
