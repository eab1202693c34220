// The main window's model over catalogues of the in-memory machine: what each command may do,
// where the selection goes across refreshes and commands, and whose start-type choice it is.
#include <gtest/gtest.h>

#include <string>

#include "FakePlatform.h"
#include "catalogue/CatalogueMemory.h"
#include "model/ServiceModel.h"

namespace rondel {
namespace {

using namespace platform;

// The commands that may be given, by name, in a fixed order.
std::string Can(const CommandStates& can) {
    const std::pair<bool, const char*> all[] = {
        {can.start, "start"},   {can.stop, "stop"},     {can.pause, "pause"},
        {can.resume, "resume"}, {can.restart, "restart"}, {can.startType, "type"},
        {can.update, "update"}, {can.dependencies, "depend"}, {can.copy, "copy"},
        {can.refresh, "refresh"}, {can.saveList, "save"}};
    std::string names;
    for (const auto& [enabled, name] : all)
        if (enabled) names += names.empty() ? name : std::string(" ") + name;
    return names;
}

class ModelTest : public ::testing::Test {
protected:
    void Read() { model.TakeCatalogue(BuildCatalogue(system, 0).catalogue); }
    // Selects a service as a click does: the model selects it, the window reads its details.
    std::string Pick(const std::string& name) {
        EXPECT_TRUE(model.SelectService(name)) << name;
        std::string error;
        model.SetDetails(ReadDetailsShown(system, name, error));
        return error;
    }
    fake::FakeService& Add(const std::string& name, uint32_t state, uint32_t accepts = 0) {
        fake::FakeService& service = machine.AddService(name, name, "C:\\x\\" + name + ".exe", state);
        service.controlsAccepted = accepts;
        return service;
    }

    fake::FakeMachine machine;
    Platform system = machine.Platform();
    ServiceModel model;
};

constexpr uint32_t kStopAndPause = kServiceAcceptStop | kServiceAcceptPauseContinue;

// The tab's commands, less what the service accepts and what the manager takes in its exact
// state; the state as a word with its process.
TEST_F(ModelTest, EachCommandIsOfferedByTabAndByWhatTheServiceAcceptsInItsState) {
    const struct {
        const char* name;
        uint32_t state, accepts;
        const char* can;
        const char* stateText;
    } cases[] = {
        {"Run", kServiceRunning, kStopAndPause, "stop pause restart type depend copy refresh save", "実行中（PID 4242）"},
        {"RunNoStop", kServiceRunning, kServiceAcceptPauseContinue, "pause type depend copy refresh save", "実行中（PID 4242）"},
        {"RunMute", kServiceRunning, 0, "type depend copy refresh save", "実行中（PID 4242）"},
        {"Paused", kServicePaused, kStopAndPause, "stop resume restart type depend copy refresh save", "一時停止（PID 4242）"},
        {"PausedNoPause", kServicePaused, kServiceAcceptStop, "stop restart type depend copy refresh save", "一時停止（PID 4242）"},
        {"Stopped", kServiceStopped, 0, "start type depend copy refresh save", "停止"},
        // On its way: the tab its state counts in, and nothing the manager would refuse.
        {"Starting", kServiceStartPending, kStopAndPause, "type depend copy refresh save", "開始処理中（PID 4242）"},
        {"Stopping", kServiceStopPending, kStopAndPause, "type depend copy refresh save", "停止処理中（PID 4242）"},
        {"Pausing", kServicePausePending, kStopAndPause, "type depend copy refresh save", "一時停止処理中（PID 4242）"},
        {"Continuing", kServiceContinuePending, kStopAndPause, "type depend copy refresh save", "再開処理中（PID 4242）"},
        {"Odd", 9, kStopAndPause, "stop pause restart type depend copy refresh save", ""},
    };
    for (const auto& c : cases) Add(c.name, c.state, c.accepts).processId = 4242;
    Read();
    EXPECT_EQ(Can(model.Commands()), "refresh save") << "nothing selected";
    EXPECT_EQ(model.StateText(), "");
    for (const auto& c : cases) {
        Pick(c.name);
        EXPECT_EQ(Can(model.Commands()), c.can) << c.name;
        EXPECT_EQ(model.StateText(), c.stateText) << c.name;
    }

    // Nothing chosen: 更新 waits for a choice.
    Pick("Run");
    EXPECT_FALSE(model.ChosenStartValue());
    model.ChooseStartType(0);
    EXPECT_EQ(Can(model.Commands()), "stop pause restart type update depend copy refresh save");

    // While a request is under way only the choice of a start type and the copies remain, and
    // a second request does not begin.
    ASSERT_TRUE(model.BeginRequest({RequestKind::Stop, "Run"}));
    EXPECT_EQ(Can(model.Commands()), "type copy");
    EXPECT_FALSE(model.BeginRequest({RequestKind::Refresh, {}}));
    EXPECT_EQ(StatusText(model.Pending()), "サービス「Run」を停止しています…");
    model.RequestMovesOn(RequestKind::RestartStart);
    EXPECT_EQ(StatusText(model.Pending()), "サービス「Run」を開始しています…");
    model.EndRequest();
    EXPECT_EQ(StatusText(model.Pending()), "F5 キーで最新の状態に更新します");
    EXPECT_EQ(Can(model.Commands()), "stop pause restart type update depend copy refresh save");
}

TEST_F(ModelTest, TheSelectionAcrossRefreshesAndCommands) {
    fake::FakeService& alpha = Add("Alpha", kServiceRunning, kStopAndPause);
    Add("Beta", kServiceStopped);
    fake::FakeService& gamma = Add("Gamma", kServicePaused, kStopAndPause);
    Read();
    // Any case of the ASCII letters, running list first; the trail byte of a double-byte
    // character is no letter (ア is not ヂ); nothing changes for a name in no list.
    Add("\x83\x61", kServiceStopped);
    Add("\x83\x41", kServiceStopped);
    Read();
    Pick("\x83\x61");
    EXPECT_EQ(model.Selected()->serviceName, "\x83\x61");
    Pick("bEtA");
    EXPECT_EQ(model.CurrentTab(), kStoppedTab);
    EXPECT_EQ(model.Selected()->serviceName, "Beta");
    EXPECT_FALSE(model.SelectService("Driver"));
    EXPECT_EQ(model.Selected()->serviceName, "Beta");

    // New lists: the selected service stays selected, with its start-type choice, in the tab
    // where it is now; one no longer listed leaves nothing selected in the tab shown.
    alpha.currentState = kServiceStopped;
    Pick("Alpha");
    model.ChooseStartType(2);
    Read();
    EXPECT_EQ(model.CurrentTab(), kStoppedTab);
    ASSERT_NE(model.Selected(), nullptr);
    EXPECT_EQ(model.Selected()->serviceName, "Alpha");
    EXPECT_EQ(model.ChosenStartValue(), 4u);
    EXPECT_FALSE(model.StatusKnown()) << "in another state: what it accepts is asked again";
    alpha.name = "AlphaGone";
    Read();
    EXPECT_EQ(model.CurrentTab(), kStoppedTab);
    EXPECT_EQ(model.Selected(), nullptr);
    EXPECT_FALSE(model.ChosenStartValue());
    alpha.name = "Alpha";

    // After a command: the target tab, the service selected there when its state put it there.
    alpha.currentState = kServiceStartPending;
    Read();
    model.CommandCarriedOut(ServiceCommand::Start, "Alpha");
    EXPECT_EQ(model.CurrentTab(), kRunningTab);
    ASSERT_NE(model.Selected(), nullptr);
    EXPECT_EQ(model.Selected()->serviceName, "Alpha");
    gamma.currentState = kServiceContinuePending;  // still paused when the lists are read
    Read();
    model.CommandCarriedOut(ServiceCommand::Continue, "Gamma");
    EXPECT_EQ(model.CurrentTab(), kRunningTab);
    EXPECT_EQ(model.Selected(), nullptr);
    EXPECT_EQ(Can(model.Commands()), "refresh save");
    model.CommandCarriedOut(ServiceCommand::Start, "alpha");
    EXPECT_EQ(model.Selected(), nullptr) << "the name a command took from the list is matched exactly";

    // A tab chosen shows nothing selected; an index outside its list selects nothing.
    Pick("Alpha");
    model.ShowTab(kPausedTab);
    EXPECT_EQ(model.SelectedIndex(), -1);
    model.Select(1);
    EXPECT_EQ(model.Selected(), nullptr);
}

TEST_F(ModelTest, AStartTypeChoiceBelongsToTheServiceItWasMadeFor) {
    Add("Alpha", kServiceRunning);
    Add("Beta", kServiceRunning);
    Read();
    model.ChooseStartType(2);
    EXPECT_FALSE(model.ChosenStartValue()) << "no service, no choice";
    Pick("Alpha");
    model.ChooseStartType(2);
    EXPECT_EQ(model.ChosenStartValue(), 4u);
    Pick("Beta");
    EXPECT_FALSE(model.ChosenStartValue()) << "a choice made for Alpha is never applied to Beta";
    EXPECT_FALSE(model.Commands().update);
    model.ChooseStartType(0);
    model.ForgetStartTypeChoice();
    EXPECT_FALSE(model.Commands().update);
}

// Details that cannot all be read leave the clicked service selected, its fields read as far as
// they go; a choice of start type then applies to it. A service without a key has no start type
// at all, and none to choose.
TEST_F(ModelTest, DetailsThatCannotBeReadKeepTheClickedService) {
    Add("Alpha", kServiceRunning, kStopAndPause);
    Add("NoStart", kServiceRunning, kStopAndPause);
    Add("BadText", kServiceRunning, kStopAndPause);
    Add("NoKey", kServiceRunning, kStopAndPause);
    machine.registry.DeleteValue(fake::FakeMachine::ServiceKey("NoStart"), "Start");
    machine.registry.SetString(fake::FakeMachine::ServiceKey("NoStart"), "Description", "説明あり");
    machine.registry.SetDword(fake::FakeMachine::ServiceKey("BadText"), "Description", 7);
    Read();
    machine.registry.DeleteKey(fake::FakeMachine::ServiceKey("NoKey"));
    const struct {
        const char* name;
        const char* error;
        std::optional<int> startItem;
        const char* description;
        const char* commands;
    } cases[] = {
        {"NoStart", "'Start' の取得に失敗しました", std::nullopt, "説明あり", "stop pause restart type depend copy refresh save"},
        {"BadText", "'Description' のデータ型が不正です", 1, "", "stop pause restart type depend copy refresh save"},
        {"NoKey", "", std::nullopt, "", "stop pause restart depend copy refresh save"},
    };
    for (const auto& c : cases) {
        Pick("Alpha");
        EXPECT_EQ(Pick(c.name), c.error) << c.name;
        EXPECT_EQ(model.Selected()->serviceName, c.name);
        EXPECT_EQ(model.Details().startItem, c.startItem) << c.name;
        EXPECT_EQ(model.Details().description, c.description) << c.name;
        EXPECT_EQ(Can(model.Commands()), c.commands) << c.name;
        model.ChooseStartType(0);
        EXPECT_EQ(model.ChosenStartValue(), 2u) << c.name;
        EXPECT_EQ(model.Commands().update, model.Commands().startType) << c.name;
    }
}

// The filter keeps, in each tab and in its order, the services whose names, company, file
// description or registry description hold its text; the selection stays while it is kept.
TEST_F(ModelTest, TheFilterKeepsTheServicesThatHoldItsTextInEachTab) {
    Add("Spooler", kServiceRunning);
    Add("Beta", kServiceRunning);
    Add("\x83\x41Svc", kServiceRunning);  // ア: its trail byte is no letter 'A'
    Add("Gamma", kServiceStopped);
    machine.registry.SetString(fake::FakeMachine::ServiceKey("Gamma"), "Description", "印刷を待つ");
    CatalogueMemory memory(system);  // the registry's descriptions come with a build that keeps them
    model.TakeCatalogue(BuildCatalogue(system, 0, &memory).catalogue);
    const auto shown = [&](ServiceTab tab) {
        std::string names;
        for (const ServiceEntry& e : model.Entries(tab)) names += (names.empty() ? "" : " ") + e.serviceName;
        return names;
    };
    const struct {
        const char* text;
        const char* running;
        const char* stopped;
    } cases[] = {
        {"", "Beta Spooler \x83\x41Svc", "Gamma"},
        {"spool", "Spooler", ""},
        {"SVC", "\x83\x41Svc", ""},
        {"a", "Beta", "Gamma"},          // not the trail byte of ア
        {"\x83\x41", "\x83\x41Svc", ""},  // ア whole
        {"印刷", "", "Gamma"},            // the registry's description
        {"x.exe", "", ""},                // the image path is not searched
        {"nothing", "", ""},
    };
    for (const auto& c : cases) {
        model.SetFilter(c.text);
        EXPECT_EQ(shown(kRunningTab), c.running) << c.text;
        EXPECT_EQ(shown(kStoppedTab), c.stopped) << c.text;
    }
    // Image k of a filtered list is its entry's in the tab's image list.
    model.SetFilter("spool");
    EXPECT_EQ(model.ImageOf(kRunningTab, 0), 1);

    // The selection stays while it is kept, with its details; else nothing is selected.
    model.SetFilter("");
    Pick("Beta");
    model.ChooseStartType(2);
    model.SetFilter("be");
    ASSERT_NE(model.Selected(), nullptr);
    EXPECT_EQ(model.Selected()->serviceName, "Beta");
    EXPECT_EQ(model.ChosenStartValue(), 4u);
    EXPECT_EQ(model.SelectedIndex(), 0);
    model.SetFilter("spool");
    EXPECT_EQ(model.Selected(), nullptr);
    EXPECT_EQ(model.AllEntries(kRunningTab).size(), 3u) << "the lists stay whole";
}

}  // namespace
}  // namespace rondel
