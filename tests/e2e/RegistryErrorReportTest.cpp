// A registry value of the wrong kind in one service: Rondel.exe still shows the machine, and
// reports the error once, through the general error handler, after the lists are shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "RondelWindow.h"
#include "TestService.h"

namespace rondel::e2e {
namespace {

using namespace rondel::fixtures;

TEST(RegistryErrorReport, OneBadServiceIsListedAndReportedOnceAfterTheListsAreShown) {
    TestService bad(ServiceDefinition(std::string(kTestServicePrefix) + "EBadType").Display("試験 型エラー"));
    ASSERT_EQ(bad.CreateError(), 0u);
    ASSERT_EQ(bad.SetString("Type", "16"), ERROR_SUCCESS);

    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = ::FindWindowA("#32770", "ロンデル")) != nullptr; }, 30000))
        << "the error is shown";
    EXPECT_TRUE(::IsWindowVisible(w.Main())) << "after the lists are shown";
    EXPECT_EQ(RemoteText(::GetDlgItem(box, 0xFFFF)), "'Type' のデータ型が不正です.") << "the error's text with a full stop";

    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }, 5000));
    ::Sleep(300);
    EXPECT_EQ(::FindWindowA("#32770", "ロンデル"), nullptr) << "reported once";

    // The service is listed despite its error (it is stopped), with the rest of the machine.
    // Waited for, not read once: on a server just started Wine's own services may still be
    // starting when the lists are read, and the window shows them running a round later.
    EXPECT_GE(w.WaitForItem("RpcSs"), 0);
    ASSERT_TRUE(w.ChooseTab(2));
    const int item = w.WaitForItem(bad.Name());
    ASSERT_GE(item, 0);
    EXPECT_EQ(w.Items()[static_cast<std::size_t>(item)].rfind("[ " + bad.Name() + " ] 試験 型エラー", 0), 0u);
}

}  // namespace
}  // namespace rondel::e2e
