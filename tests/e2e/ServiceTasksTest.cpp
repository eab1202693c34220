// What an administrator does beyond the four commands, with the real Rondel.exe over services of
// the prefix's manager: a service's exact state and process, a service whose stop hangs ended
// with its process, a chain of services restarted and stopped with its dependents.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "RondelWindow.h"
#include "TestService.h"
#include "ui/Unit1.h"

namespace rondel::e2e {
namespace {

using namespace rondel::fixtures;

std::string Named(const char* name) { return std::string(kTestServicePrefix) + name; }

// The status bar's right part: the selected service's state and process, and the time.
std::string StateShown(const RondelWindow& w) {
    const std::string text = w.Text(kIdStatusBar);
    const std::size_t tabs = text.find("\t\t");
    return tabs == std::string::npos ? std::string() : text.substr(tabs + 2);
}

// The question the menu's item brings, いいえ its default (what はい starts cannot be taken
// back), answered はい.
bool AnswerYes(const RondelWindow& w, const std::string& begins) {
    const RondelWindow::Dialog question = w.WaitForDialog();
    EXPECT_EQ(question.caption, "確認");
    EXPECT_EQ(question.text.rfind(begins, 0), 0u) << question.text;
    EXPECT_TRUE(WaitFor([&] { return w.Focus() == ::GetDlgItem(question.window, IDNO); }, 5000)) << "いいえ by default";
    return w.Answer(question, IDYES);
}

TEST(ServiceTasks, AStopPendingServiceEndedWithItsProcessAndAChainRestartedAndStoppedWithItsDependents) {
    TestService hanging(ServiceDefinition(Named("StLinger")).Display("試験 作業 停止待ち").Arguments("--linger-stop=60000"));
    TestService base(ServiceDefinition(Named("StBase")).Display("試験 作業 土台"));
    TestService middle(ServiceDefinition(Named("StMiddle")).Display("試験 作業 中間").DependsOn({Named("StBase")}));
    TestService top(ServiceDefinition(Named("StTop")).Display("試験 作業 上").DependsOn({Named("StMiddle")}));
    for (TestService* s : {&hanging, &base, &middle, &top}) {
        ASSERT_EQ(s->CreateError(), 0u) << s->Name();
        ASSERT_EQ(s->StartAndWait(), 0u) << s->Name();
    }
    RondelWindow w;
    ASSERT_NE(w.Main(), nullptr);

    // Stopped by another hand, it lingers in STOP_PENDING: listed with the stopped services, its
    // state says so, and 開始 waits.
    ASSERT_TRUE(w.Select(hanging.Name()));
    const DWORD processId = hanging.Status().dwProcessId;
    ASSERT_NE(processId, 0u);
    EXPECT_EQ(StateShown(w).rfind("実行中（PID " + std::to_string(processId) + "）", 0), 0u) << StateShown(w);
    ASSERT_EQ(hanging.Stop(), 0u);
    ASSERT_TRUE(WaitFor([&] { return w.Tab() == 2 && w.Text(kIdServiceName) == hanging.Name(); }));
    EXPECT_TRUE(WaitFor([&] { return StateShown(w).rfind("停止処理中（PID ", 0) == 0; })) << StateShown(w);
    EXPECT_FALSE(w.Enabled(kIdRun));

    // Its process ended from the menu, after the question.
    ASSERT_TRUE(w.ChooseFromMenu('k'));
    ASSERT_TRUE(AnswerYes(w, "プロセス " + std::to_string(processId) + " を終了しますか？"));
    // The process has ended (Wine 8's manager does not notice: the service stays STOP_PENDING
    // there, where Windows' manager marks it stopped).
    EXPECT_TRUE(WaitFor([&] {
        const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
        const bool ended = process == nullptr || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if (process != nullptr) ::CloseHandle(process);
        return ended;
    }));
    EXPECT_TRUE(WaitFor([&] { return w.Status().rfind("プロセス " + std::to_string(processId) + " を終了しました（", 0) == 0; }));

    // The chain: the top stopped first, so that a restart of the base brings back the middle only.
    ASSERT_EQ(top.StopAndWait(), 0u);
    ASSERT_TRUE(w.ChooseTab(0));
    ASSERT_TRUE(WaitFor([&] { return w.ItemOf(top.Name()) == -1; }));
    ASSERT_TRUE(w.Select(base.Name()));
    ASSERT_TRUE(w.ChooseFromMenu('a'));
    ASSERT_TRUE(AnswerYes(w, "サービス「" + base.Name() + "」を再起動します。"));
    ASSERT_TRUE(WaitFor([&] { return w.Status().rfind("サービス「" + base.Name() + "」を依存サービス 1 件とともに再起動しました（", 0) == 0; }, 30000))
        << w.Status();
    EXPECT_EQ(base.State(), DWORD{SERVICE_RUNNING});
    EXPECT_EQ(middle.State(), DWORD{SERVICE_RUNNING});
    EXPECT_EQ(top.State(), DWORD{SERVICE_STOPPED}) << "only what ran is started again";

    ASSERT_EQ(top.StartAndWait(), 0u);
    ASSERT_TRUE(WaitFor([&] { return w.ItemOf(top.Name()) >= 0; }));
    ASSERT_TRUE(w.Select(base.Name()));
    ASSERT_TRUE(w.ChooseFromMenu('o'));
    ASSERT_TRUE(AnswerYes(w, "サービス「" + base.Name() + "」を停止します。先に次の依存サービスを停止します。\r\n\r\n　" +
                                 top.Name() + "\r\n　" + middle.Name()));
    EXPECT_TRUE(WaitFor([&] { return w.Tab() == 2 && w.Text(kIdServiceName) == base.Name(); }, 30000));
    for (TestService* s : {&base, &middle, &top}) EXPECT_EQ(s->State(), DWORD{SERVICE_STOPPED}) << s->Name();
}

}  // namespace
}  // namespace rondel::e2e
