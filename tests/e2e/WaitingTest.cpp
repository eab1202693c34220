// The real Rondel.exe while another process keeps it waiting, and with texts of any length: the
// window answers while a service does not, a second start does not wait for it, the outcome is
// the one of a window that had waited, and items of tens of thousands of bytes draw in both
// windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

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

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
}

// A window of the test's own in front of Rondel's, as another program's would be.
struct WindowInFront {
    unique_hwnd window{::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "前面", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                         nullptr, nullptr, nullptr, nullptr)};
    WindowInFront() { ::SetForegroundWindow(window.get()); }
};

TEST(Waiting, AHungStopLeavesTheWindowAnsweringAndEndsWithTheDialogOfARefusal) {
    TestService hung(ServiceDefinition(Named("WtHung")).Display("試験 待機 停止せず").Arguments("--hang-stop"));
    ASSERT_EQ(hung.CreateError(), 0u);
    ASSERT_EQ(hung.StartAndWait(), 0u);
    RondelWindow w;
    ASSERT_TRUE(w.Select(hung.Name()));
    const RondelWindow::State before = w.Look();
    w.Click(kIdStop);
    ASSERT_TRUE(WaitFor([&] { return w.Status() == "サービス「" + hung.Name() + "」を停止しています…"; }, 5000));
    // While the manager waits for the service (3 s in the test prefix), the window answers and
    // paints, and no second request can begin.
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(Answers(w.Main())) << k;
        ::Sleep(100);
    }
    EXPECT_FALSE(w.Enabled(kIdStop));
    EXPECT_FALSE(w.Enabled(kIdSleep));
    EXPECT_FALSE(w.Enabled(kIdDepend));
    EXPECT_EQ(w.Text(kIdServiceName), hung.Name());
    // A second start meanwhile hands over and ends at once.
    EXPECT_EQ(RunRondel(1000), 0u);
    // The user turns to another program while the request waits.
    const WindowInFront front;

    const RondelWindow::Dialog dialog = w.WaitForDialog();
    EXPECT_EQ(dialog.caption, "エラー");
    EXPECT_EQ(dialog.text, "停止要求にサービスが時間内に応答しません。");
    EXPECT_EQ(::GetWindow(dialog.window, GW_OWNER), w.Main()) << "the dialog belongs to the window";
    EXPECT_FALSE(::IsWindowEnabled(w.Main())) << "which waits for it";
    EXPECT_TRUE(w.Answer(dialog, IDOK));
    EXPECT_TRUE(w.Look() == before) << "after a refusal the window is as it was";
    EXPECT_TRUE(w.Idle());
    // No other control may reach the service before its handler returns: Wine's manager would
    // lock up for good.
    EXPECT_TRUE(hung.WaitForState(SERVICE_STOPPED, 15000));
}

// ---------------------------------------------------------------------------- long texts

std::string Repeated(const char* piece, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += piece;
    return text;
}

TEST(Waiting, ItemTextsOfAnyLengthDrawInBothWindows) {
    // 30,000 bytes each from the executable (what a version resource can hold), 60,000 from the key.
    const std::string company = Repeated("長い会社名", 30000);
    const std::string executable = FixturePath("vi_long_texts.exe");
    TestService longTexts(ServiceDefinition(Named("WtLong")).Image("\"" + executable + "\""));
    TestService user(ServiceDefinition(Named("WtLongUser")).Display("試験 長文の利用者").DependsOn({longTexts.Name()}));
    ASSERT_EQ(longTexts.CreateError(), 0u);
    ASSERT_EQ(user.CreateError(), 0u);
    const std::string displayName = Repeated("とても長い表示名", 60000);
    ASSERT_EQ(longTexts.SetString("DisplayName", displayName), ERROR_SUCCESS);
    ASSERT_EQ(longTexts.SetString("Description", Repeated("説明", 60000)), ERROR_SUCCESS);
    const unique_hicon icon(::ExtractIconA(nullptr, executable.c_str(), 0));

    RondelWindow w;
    ASSERT_TRUE(w.ChooseTab(2));
    const int index = w.ItemOf(longTexts.Name());
    ASSERT_GE(index, 0);
    EXPECT_TRUE(ListShowsIcon(w.Control(kIdList), index, icon.get())) << "the item is drawn";
    ASSERT_TRUE(w.Select(longTexts.Name()));
    EXPECT_EQ(w.Text(kIdDisplayName).substr(0, 100), displayName.substr(0, 100));
    EXPECT_TRUE(ShowsSomething(w.Control(kIdDisplayName))) << "the field shows the start of the name";
    EXPECT_EQ(w.Text(kIdCompany).substr(0, 100), company.substr(0, 100));

    // The dependencies window: the long name in its labels, and as an item of its list.
    for (const TestService* service : {&longTexts, &user}) {
        ASSERT_TRUE(w.Select(service->Name()));
        w.Click(kIdDepend);
        HWND form = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (form = ::FindWindowA("TForm2", nullptr)) != nullptr && ::IsWindowVisible(form); }));
        if (service == &user) EXPECT_TRUE(ListShowsIcon(ControlOf(form, kIdDependTo), 0, icon.get()));
        else EXPECT_TRUE(ShowsSomething(ControlOf(form, kIdBaseName))) << "the label shows the start of the name";
        ::PostMessageA(form, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([] { return ::FindWindowA("TForm2", nullptr) == nullptr; }));
    }
    EXPECT_EQ(::WaitForSingleObject(w.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "Rondel still runs";
}

}  // namespace
}  // namespace rondel::e2e
