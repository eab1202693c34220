// The session under the main window over the in-memory machine, its jobs run inline and their
// results delivered when the test says: what a request's end shows, and who wins when the person
// acts while a job reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "InlineExecutor.h"
#include "model/ServiceSession.h"

namespace rondel {
namespace {

using namespace platform;
using fake::FakeMachine;

constexpr uint32_t kStopAndPause = kServiceAcceptStop | kServiceAcceptPauseContinue;

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        session.OnChanged = [this] { ++changes; };
        machine.AddService("Alpha", "Alpha", "C:\\svc\\a.exe", kServiceRunning).controlsAccepted = kStopAndPause;
        machine.AddService("Beta", "Beta", "C:\\svc\\b.exe", kServiceRunning).controlsAccepted = kStopAndPause;
        machine.AddService("Gamma", "Gamma", "C:\\svc\\g.exe", kServiceStopped).controlsAccepted = kStopAndPause;
        machine.registry.SetString(FakeMachine::ServiceKey("Alpha"), "Description", "Aの説明");
        machine.registry.SetString(FakeMachine::ServiceKey("Beta"), "Description", "Bの説明");
    }
    SessionServices Services() {
        return {[this] { return now; }, [this](uint32_t ms) { now += ms; },
                [this] { return clock; }, [](const std::string& text) { return text; },
                [this](Platform&) { ++homePages; }};
    }
    void Open() {
        session.Start();
        executor.Settle();
    }
    // A click on the service's item in the tab shown.
    void Click(const std::string& name) {
        const int index = session.Model().IndexOf(session.Model().CurrentTab(), name);
        ASSERT_GE(index, 0) << name;
        session.Select(index);
    }
    std::string Selected() const {
        const ServiceEntry* selected = session.Model().Selected();
        return selected != nullptr ? selected->serviceName : std::string();
    }
    std::vector<Notice> Notices() {
        std::vector<Notice> all;
        while (std::optional<Notice> notice = session.TakeNotice()) all.push_back(*notice);
        return all;
    }
    fake::FakeService& Service(const std::string& name) { return *machine.services.Find(name); }

    FakeMachine machine;
    fake::InlineExecutor executor;
    uint64_t now = 1000;
    std::array<int, 3> clock{18, 22, 3};  // the time of day
    int changes = 0;
    int homePages = 0;
    ServiceSession session{machine.Platform(), executor, Services()};
};

// A refresh's result meets what the person chose while it read: their selection, start-type
// choice and tab stay; only a selected service that moved takes its tab along. A command's end
// leaves the person's choice made meanwhile too.
TEST_F(SessionTest, ThePersonsChoicesMadeWhileARequestReadsAreKept) {
    Open();
    EXPECT_EQ(session.StatusText(), "F5 キーで最新の状態に更新します\t\t最終更新 18:22:03");
    Click("Alpha");
    executor.Settle();

    ASSERT_TRUE(session.Ask(Request::Refresh));
    Click("Beta");
    session.ChooseStartType(2);
    executor.Settle();
    EXPECT_EQ(Selected(), "Beta");
    EXPECT_EQ(session.Model().ChosenStartValue(), 4u);
    EXPECT_TRUE(session.Model().Commands().update);

    ASSERT_TRUE(session.Ask(Request::Refresh));
    session.ShowTab(kStoppedTab);
    executor.Settle();
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab);
    EXPECT_EQ(Selected(), "");

    // Alpha stops elsewhere while the refresh reads: it follows only while it is the one selected.
    session.ShowTab(kRunningTab);
    Click("Alpha");
    Service("Alpha").currentState = kServiceStopped;
    ASSERT_TRUE(session.Ask(Request::Refresh));
    Click("Beta");
    executor.Settle();
    EXPECT_EQ(session.Model().CurrentTab(), kRunningTab);
    EXPECT_EQ(Selected(), "Beta");
    Click("Beta");
    session.ChooseStartType(0);
    Service("Beta").currentState = kServicePaused;
    ASSERT_TRUE(session.Ask(Request::Refresh));
    executor.Settle();
    EXPECT_EQ(session.Model().CurrentTab(), kPausedTab);
    EXPECT_EQ(Selected(), "Beta");
    EXPECT_EQ(session.Model().ChosenStartValue(), 2u) << "a start type chosen and not sent stays chosen";

    session.ShowTab(kStoppedTab);
    Click("Gamma");
    ASSERT_TRUE(session.Ask(Request::Start));
    Click("Alpha");
    executor.Settle();
    EXPECT_EQ(Service("Gamma").currentState, kServiceRunning);
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab);
    EXPECT_EQ(Selected(), "Alpha");
}

// The live list reads beside the user's requests and never makes them wait; its result is
// dropped when a request began meanwhile, and read again after it.
TEST_F(SessionTest, TheLiveListNeverHoldsUpACommandAndFollowsWhatChangedAfterIt) {
    Open();
    session.ShowTab(kStoppedTab);
    Click("Gamma");
    executor.Settle();
    Service("Alpha").currentState = kServiceStopped;  // a change made elsewhere
    session.Watch();
    ASSERT_TRUE(executor.Holding()) << "the live list read";
    EXPECT_FALSE(session.Model().Busy());
    EXPECT_TRUE(session.Model().Commands().start) << "the commands stay while the live list reads";
    ASSERT_TRUE(session.Ask(Request::Start)) << "asked while the live list reads: carried out at once";
    // The live list's worker takes longer: the command's lists come first, and the reading it
    // overtook is dropped when it comes.
    executor.DeliverOne(Lane::Request);
    executor.Settle();
    EXPECT_EQ(Service("Gamma").currentState, kServiceRunning);
    EXPECT_EQ(session.Model().CurrentTab(), kRunningTab);
    EXPECT_EQ(Selected(), "Gamma");
    EXPECT_GE(session.Model().IndexOf(kStoppedTab, "Alpha"), 0) << "the command's own reading saw Alpha stopped";

    // Nothing is asked while a request is under way; what changed meanwhile is followed after it.
    ASSERT_TRUE(session.Ask(Request::Stop));
    Service("Beta").currentState = kServiceStopped;
    const std::size_t jobs = executor.ran.size();
    session.Watch();
    EXPECT_EQ(executor.ran.size(), jobs);
    executor.Settle();
    EXPECT_EQ(session.Model().IndexOf(kStoppedTab, "Beta"), -1);
    session.Watch();
    executor.Settle();
    EXPECT_GE(session.Model().IndexOf(kStoppedTab, "Beta"), 0);
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab) << "the stopped Gamma, still selected, in its tab";
    EXPECT_EQ(Selected(), "Gamma");

    // A start type chosen and not sent stays chosen, 更新 with it, as the lists follow.
    session.ChooseStartType(2);
    Service("Alpha").currentState = kServiceRunning;
    session.Watch();
    executor.Settle();
    EXPECT_EQ(session.Model().ChosenStartValue(), 4u);
    EXPECT_TRUE(session.Model().Commands().update);

    // States as they were read: nothing is built, nothing applied. F5 with nothing changed tells
    // the time of its reading all the same.
    const auto shown = session.Model().Catalogue();
    session.Watch();
    executor.Settle();
    EXPECT_EQ(session.Model().Catalogue(), shown);
    clock = {9, 5, 7};
    ASSERT_TRUE(session.Ask(Request::Refresh));
    executor.Settle();
    EXPECT_EQ(session.Model().Catalogue(), shown);
    EXPECT_EQ(session.StatusText(), "F5 キーで最新の状態に更新します\t\t停止　最終更新 9:05:07");
}

// A command's service still on its way when the lists are read is selected once it arrives in
// the command's tab, unless the person chose something else meanwhile.
TEST_F(SessionTest, ACommandsServiceStillOnItsWayIsSelectedWhenItArrives) {
    Service("Beta").currentState = kServicePaused;
    Service("Beta").continuesTo = kServiceContinuePending;
    Open();
    session.ShowTab(kPausedTab);
    Click("Beta");
    ASSERT_TRUE(session.Ask(Request::Continue));
    executor.Settle();
    EXPECT_EQ(session.Model().CurrentTab(), kRunningTab) << "the command's tab";
    EXPECT_EQ(Selected(), "") << "Beta is still counted as paused";
    Service("Beta").currentState = kServiceRunning;
    session.Watch();
    executor.Settle();
    EXPECT_EQ(Selected(), "Beta") << "arrived in the tab shown";

    // Another tab chosen meanwhile: the person's choice stays.
    ASSERT_TRUE(session.Ask(Request::Pause));
    executor.Settle();
    ASSERT_TRUE(session.Ask(Request::Continue));
    executor.Settle();
    ASSERT_EQ(Selected(), "");
    session.ShowTab(kStoppedTab);
    session.ShowTab(kRunningTab);
    Service("Beta").currentState = kServiceRunning;
    session.Watch();
    executor.Settle();
    EXPECT_EQ(Selected(), "");
}

// One request at a time: a second is refused, a refusal leaves everything as it was and says
// why; a command chosen in the menu meanwhile is carried out after it, or refused with a word.
TEST_F(SessionTest, RequestsOneAtATimeTheirRefusalsAndTheMenusCommandsNeverDropped) {
    Open();
    session.ShowTab(kStoppedTab);
    Click("Gamma");
    ASSERT_TRUE(session.Ask(Request::Start));
    EXPECT_EQ(session.StatusText(), "サービス「Gamma」を開始しています…\t\t最終更新 18:22:03");
    EXPECT_FALSE(session.Ask(Request::Refresh));
    EXPECT_FALSE(session.Model().Commands().start);
    executor.Settle();
    EXPECT_EQ(session.StatusText(), "サービス「Gamma」を開始しました（18:22:03）\t\t実行中　最終更新 18:22:03")
        << "what was done is told until the next request";

    session.ShowTab(kRunningTab);
    Click("Alpha");
    executor.Settle();
    Service("Alpha").controlError = 1051;
    const auto before = session.Model().Catalogue();
    ASSERT_TRUE(session.Ask(Request::Stop));
    executor.Settle();
    EXPECT_EQ(Notices(), (std::vector<Notice>{
                             {Notice::Refusal, "ほかのサービスがこのサービスに依存しているため､ サービスを停止できません。"}}));
    EXPECT_EQ(session.Model().Catalogue(), before) << "nothing read again";
    EXPECT_EQ(Selected(), "Alpha");
    EXPECT_EQ(session.StatusText(), "F5 キーで最新の状態に更新します\t\t実行中　最終更新 18:22:03");

    // Chosen from the menu while F5 reads: stopped once the reading is over.
    Click("Beta");
    ASSERT_TRUE(session.Ask(Request::Refresh));
    EXPECT_TRUE(session.Ask(Request::Stop, true));
    executor.Settle();
    EXPECT_EQ(Service("Beta").currentState, kServiceStopped);
    EXPECT_EQ(Selected(), "Beta");
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab);

    // No longer offered when its turn comes: said, not dropped.
    session.ShowTab(kRunningTab);
    Click("Gamma");
    Service("Gamma").currentState = kServicePaused;
    ASSERT_TRUE(session.Ask(Request::Refresh));
    EXPECT_TRUE(session.Ask(Request::Pause, true));
    executor.Settle();
    EXPECT_EQ(Service("Gamma").currentState, kServicePaused);
    EXPECT_EQ(Notices(), (std::vector<Notice>{{Notice::Refusal,
                                               "サービス「Gamma」の「一時停止」は行いませんでした。選ばれているサービスか、その状態が変わりました。"}}));
}

// Details read for a service the person has left are dropped; the one now selected is read.
// An odd registry value is told once, when its service is chosen, not at every reading again.
TEST_F(SessionTest, LateDetailsOfAnotherServiceAreDroppedAndAnOddValueToldOnce) {
    machine.registry.SetDword(FakeMachine::ServiceKey("Gamma"), "Description", 7);
    Open();
    Click("Alpha");
    Click("Beta");
    executor.Settle();
    EXPECT_EQ(session.Model().Details().description, "Bの説明");
    EXPECT_TRUE(session.Model().StatusKnown());

    session.ShowTab(kStoppedTab);
    Click("Gamma");
    executor.Settle();
    EXPECT_EQ(Notices(), (std::vector<Notice>{{Notice::OddValue, "'Description' のデータ型が不正です"}}));
    Service("Alpha").currentState = kServiceStopped;
    session.Watch();
    executor.Settle();
    EXPECT_EQ(Selected(), "Gamma");
    EXPECT_TRUE(Notices().empty()) << "read again with the lists, not told again";
}

// A choice of start type is sent for the service it was made for; a refused one shows what is
// stored and says why.
TEST_F(SessionTest, AStartTypeChoiceIsAppliedOrShownAsStoredAgain) {
    Open();
    Click("Alpha");
    executor.Settle();
    EXPECT_EQ(session.Model().Details().startItem, 1);
    session.ChooseStartType(2);
    ASSERT_TRUE(session.Ask(Request::StartType));
    EXPECT_FALSE(session.Model().Commands().update);
    executor.Settle();
    EXPECT_EQ(Service("Alpha").startType, 4u);
    EXPECT_EQ(session.Model().Details().startItem, 2);
    EXPECT_EQ(session.StatusText().substr(0, session.StatusText().find('\t')),
              "サービス「Alpha」のスタートアップの種類を「無効」にしました（18:22:03）");
    EXPECT_EQ(session.Model().CurrentTab(), kRunningTab) << "the service stays where it is";

    machine.services.changeConfigError = kErrorAccessDenied;
    session.ChooseStartType(0);
    ASSERT_TRUE(session.Ask(Request::StartType));
    executor.Settle();
    EXPECT_EQ(Notices(), (std::vector<Notice>{{Notice::Refusal, "message 5（エラー 5）"}}));
    EXPECT_EQ(session.Model().Details().startItem, 2);
    EXPECT_FALSE(session.Model().Commands().update);
}

// What must finish is carried through when the window has gone, and a failure is still told.
TEST_F(SessionTest, ASaveAndARestartOutliveTheWindowAndTellTheirFailures) {
    Open();
    const auto waitedFor = [&] {  // whether the program's end waits for the last job started
        return !executor.mustFinish.empty() && executor.mustFinish.back() == executor.ran.size() - 1;
    };
    ASSERT_TRUE(session.Ask(Request::Refresh));
    EXPECT_FALSE(waitedFor());
    executor.Settle();
    ASSERT_TRUE(session.SaveList("C:\\out\\services.csv"));
    EXPECT_TRUE(waitedFor());
    executor.Settle();
    const std::string& written = machine.files.written["C:\\out\\services.csv"];
    EXPECT_EQ(written.rfind("\xEF\xBB\xBFtab,service name,", 0), 0u) << written;
    EXPECT_NE(written.find("\r\n2,Gamma,Gamma,"), std::string::npos);

    // A restart: stopped, started again, still selected; the status tells each step.
    Click("Alpha");
    executor.Settle();
    ASSERT_TRUE(session.Ask(Request::Restart));
    EXPECT_TRUE(waitedFor());
    executor.DeliverOne();
    EXPECT_EQ(session.StatusText(), "サービス「Alpha」を開始しています…\t\t実行中　最終更新 18:22:03");
    executor.Settle();
    EXPECT_EQ(machine.services.controlsSent,
              (std::vector<std::pair<std::string, uint32_t>>{{"Alpha", kServiceControlStop}, {"Alpha", 0}}));
    EXPECT_EQ(Selected(), "Alpha");

    executor.abandoned = true;
    machine.files.writeError = 112;
    ASSERT_TRUE(session.SaveList("C:\\out\\full.csv"));
    executor.Settle();
    Service("Alpha").startError = 1053;
    ASSERT_TRUE(session.Ask(Request::Restart));
    EXPECT_EQ(executor.toldAlone,
              (std::vector<std::string>{"一覧を「C:\\out\\full.csv」に保存できませんでした。\r\nmessage 112（エラー 112）",
                                        "起動要求にサービスが時間内に応答しません。"}));
}

// 参照 of the dependencies window: a listed service is shown selected in its tab; a driver of
// any kind is not shown; a service that no longer exists is said not to.
TEST_F(SessionTest, ViewShowsAListedServiceAndSaysWhyNotForDriversAndMissingServices) {
    machine.registry.SetMultiString(FakeMachine::ServiceKey("Alpha"), "DependOnService", {"Gamma", "Disk", "Gone"});
    machine.AddService("Disk", "ディスク", "\\SystemRoot\\disk.sys", kServiceRunning, kServiceFileSystemDriver);
    Open();
    Click("Alpha");
    ASSERT_TRUE(session.Ask(Request::Dependencies));
    executor.Settle();
    const std::unique_ptr<DependencyView> view = session.TakeDependencies();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->service.serviceName, "Alpha");
    const auto entry = [&](const std::string& name) {
        for (const ServiceEntry& e : view->lists.dependencies.entries)
            if (e.serviceName == name) return e;
        ADD_FAILURE() << name;
        return ServiceEntry{};
    };
    EXPECT_EQ(session.View(entry("Disk")), "ドライバサービスは表示できません。");
    for (const uint32_t driver : {kServiceKernelDriver, kServiceFileSystemDriver, kServiceRecognizerDriver}) {
        ServiceEntry other = entry("Disk");
        other.serviceType = driver;
        EXPECT_EQ(session.View(other), "ドライバサービスは表示できません。") << driver;
    }
    EXPECT_EQ(session.View(entry("Gone")), "message 1060（エラー 1060）");
    EXPECT_EQ(session.View(entry("Gamma")), std::nullopt);
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab);
    EXPECT_EQ(Selected(), "Gamma");
}

// Stopped with its dependents after a question that names them; ended with its process after a
// question that names the process's services; never the manager's process nor this program's.
TEST_F(SessionTest, DependentsStoppedAndAProcessEndedOnlyAfterTheQuestion) {
    machine.registry.SetMultiString(FakeMachine::ServiceKey("Beta"), "DependOnService", {"Alpha"});
    Service("Alpha").processId = Service("Beta").processId = 4242;
    Open();
    Click("Alpha");
    executor.Settle();
    EXPECT_EQ(session.Model().RunningDependents(), (std::vector<std::string>{"Beta"}));
    ASSERT_TRUE(session.Model().Commands().stopWithDependents);
    // A dependent that refuses ends the sequence: the dialog says so, and nothing is said done.
    Service("Beta").controlError = kErrorAccessDenied;
    ASSERT_TRUE(session.Ask(Request::StopWithDependents));
    session.TakeQuestion()->onYes();
    executor.Settle();
    EXPECT_EQ(Notices(), (std::vector<Notice>{{Notice::Refusal, "サービス「Beta」を停止できませんでした。依存サービスとともに"
                                                                "停止するのを中止しました。\r\nmessage 5（エラー 5）"}}));
    EXPECT_EQ(session.StatusText().substr(0, session.StatusText().find('\t')), "F5 キーで最新の状態に更新します");
    EXPECT_EQ(Service("Alpha").currentState, kServiceRunning);
    Service("Beta").controlError = 0;
    session.ShowTab(kRunningTab);
    Click("Alpha");
    executor.Settle();

    ASSERT_TRUE(session.Ask(Request::StopWithDependents));
    std::optional<Question> question = session.TakeQuestion();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, "サービス「Alpha」を停止します。先に次の依存サービスを停止します。\r\n\r\n　Beta\r\n\r\nよろしいですか？");
    EXPECT_EQ(Service("Beta").currentState, kServiceRunning) << "nothing before the answer";
    question->onYes();
    executor.Settle();
    EXPECT_EQ(Service("Alpha").currentState, kServiceStopped);
    EXPECT_EQ(Service("Beta").currentState, kServiceStopped);
    EXPECT_EQ(Selected(), "Alpha");
    EXPECT_EQ(session.Model().CurrentTab(), kStoppedTab);
    EXPECT_EQ(session.StatusText().substr(0, session.StatusText().find('\t')),
              "サービス「Alpha」を依存サービス 1 件とともに停止しました（18:22:03）");

    // Alpha and Beta run in one process again; Gamma in another.
    for (const char* name : {"Alpha", "Beta", "Gamma"}) Service(name).currentState = kServiceRunning;
    Service("Gamma").processId = 77;
    ASSERT_TRUE(session.Ask(Request::Refresh));
    executor.Settle();
    Click("Beta");
    executor.Settle();
    ASSERT_TRUE(session.Ask(Request::EndProcess));
    executor.Settle();
    question = session.TakeQuestion();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, "プロセス 4242 を終了しますか？\r\nこのプロセスで動いている次のサービスがすべて止まります。\r\n\r\n　Alpha\r\n　Beta\r\n");
    question->onYes();
    executor.Settle();
    EXPECT_EQ(machine.processes.terminated, (std::vector<uint32_t>{4242}));
    EXPECT_EQ(Service("Alpha").currentState, kServiceStopped);
    EXPECT_EQ(Service("Gamma").currentState, kServiceRunning);

    for (const uint32_t forbidden : {machine.processes.managerProcessId, machine.processes.currentProcessId}) {
        Service("Gamma").processId = forbidden;
        session.ShowTab(kRunningTab);
        Click("Gamma");
        executor.Settle();
        ASSERT_TRUE(session.Ask(Request::EndProcess));
        executor.Settle();
        EXPECT_FALSE(session.TakeQuestion());
        const std::vector<Notice> told = Notices();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].text.find("終了できません"), std::string::npos) << told[0].text;
    }
    EXPECT_EQ(machine.processes.terminated.size(), 1u);
}


}  // namespace
}  // namespace rondel
