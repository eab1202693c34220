// A service stopped or restarted with the services that depend on it: which they are and in
// which order, and the sequence of stops and starts against the in-memory machine.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "control/DependentServices.h"

namespace rondel {
namespace {

using namespace platform;

TEST(DependentsToStop, AllLevelsEachOnceTheDeepestFirst) {
    const std::set<std::string> stopped = {"Idle"};
    const auto running = [&](const std::string& name) { return stopped.count(name) == 0; };
    const struct {
        const char* what;
        DependsOnMap dependsOn;
        std::vector<std::string> expected;
    } cases[] = {
        {"none", {{"Other", {"Elsewhere"}}}, {}},
        {"a chain", {{"B", {"A"}}, {"C", {"B"}}}, {"C", "B"}},
        {"a diamond", {{"B", {"A"}}, {"C", {"A"}}, {"D", {"B", "C"}}}, {"D", "B", "C"}},
        {"a cycle", {{"B", {"A"}}, {"C", {"B"}}, {"A", {"C"}}}, {"C", "B"}},
        {"names in any case", {{"B", {"a"}}, {"C", {"b"}}}, {"C", "B"}},
        {"a stopped dependent stays as it is, what depends on it stops", {{"Idle", {"A"}}, {"C", {"Idle"}}}, {"C"}},
    };
    for (const auto& c : cases) EXPECT_EQ(DependentsToStop("A", c.dependsOn, running), c.expected) << c.what;
}

class SequenceTest : public ::testing::Test {
protected:
    SequenceTest() {
        for (const char* name : {"A", "B", "C"}) machine.AddService(name, name, "C:\\svc\\x.exe", kServiceRunning);
    }
    SequenceOutcome Run(bool restart) {
        controls.clear();
        machine.services.controlsSent.clear();
        const RestartPacing pacing{[this] { return now; }, [this](uint32_t ms) { now += ms; }};
        const SequenceOutcome outcome = StopWithDependents(system, "A", {"C", "B"}, restart, pacing,
                                                           [this](const SequenceStep& step) {
                                                               steps.push_back(step.serviceName + (step.starting ? "+" : "-") +
                                                                               std::to_string(step.number) + "/" +
                                                                               std::to_string(step.count));
                                                           });
        for (const auto& [name, control] : machine.services.controlsSent)
            controls.push_back(name + (control == 0 ? "+" : "-"));
        return outcome;
    }
    uint32_t State(const char* name) { return machine.services.Find(name)->currentState; }

    fake::FakeMachine machine;
    Platform system = machine.Platform();
    uint64_t now = 0;
    std::vector<std::string> steps;
    std::vector<std::string> controls;
};

TEST_F(SequenceTest, StopsTheDependentsThenTheServiceAndARestartStartsThemAllAgainInReverse) {
    EXPECT_EQ(Run(false), SequenceOutcome{});
    EXPECT_EQ(controls, (std::vector<std::string>{"C-", "B-", "A-"}));
    EXPECT_EQ(steps, (std::vector<std::string>{"C-1/3", "B-2/3", "A-3/3"}));
    for (const char* name : {"A", "B", "C"}) EXPECT_EQ(State(name), kServiceStopped) << name;

    for (const char* name : {"A", "B", "C"}) machine.services.Find(name)->currentState = kServiceRunning;
    machine.services.Find("B")->currentState = kServiceStopped;  // stopped meanwhile by another hand
    steps.clear();
    EXPECT_EQ(Run(true), SequenceOutcome{});
    EXPECT_EQ(controls, (std::vector<std::string>{"C-", "B-", "A-", "A+", "B+", "C+"}));
    EXPECT_EQ(steps.back(), "C+6/6");
    for (const char* name : {"A", "B", "C"}) EXPECT_EQ(State(name), kServiceRunning) << name;
}

TEST_F(SequenceTest, TheFirstRefusalOrTimeOutEndsTheSequenceAndNamesItsService) {
    machine.services.Find("B")->controlError = kErrorDependentServicesRunning;
    EXPECT_EQ(Run(true), (SequenceOutcome{false, "B", false, kErrorDependentServicesRunning, false}));
    EXPECT_EQ(controls, (std::vector<std::string>{"C-", "B-"}));
    EXPECT_EQ(State("A"), kServiceRunning) << "not stopped after a dependent refused";

    machine.services.Find("B")->controlError = 0;
    machine.services.Find("C")->currentState = kServiceRunning;
    machine.services.Find("C")->stopsTo = kServiceStopPending;  // and stays there
    const SequenceOutcome hung = Run(false);
    EXPECT_EQ(hung, (SequenceOutcome{false, "C", false, 0, true}));
    EXPECT_EQ(State("B"), kServiceRunning);

    machine.services.Find("C")->currentState = kServiceRunning;
    machine.services.Find("C")->stopsTo = kServiceStopped;
    machine.services.Find("A")->startError = kErrorServiceRequestTimeout;
    EXPECT_EQ(Run(true), (SequenceOutcome{false, "A", true, kErrorServiceRequestTimeout, false}));
    EXPECT_EQ(controls, (std::vector<std::string>{"C-", "B-", "A-", "A+"}));
}

}  // namespace
}  // namespace rondel
