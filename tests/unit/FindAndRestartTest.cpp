// Type-to-find over list items, and a restart's wait for the stop, against the in-memory machine.
#include <gtest/gtest.h>

#include <vector>

#include "FakePlatform.h"
#include "catalogue/IncrementalSearch.h"
#include "catalogue/ServiceEntry.h"
#include "control/ServiceRestart.h"

namespace rondel {
namespace {

using namespace platform;

ServiceEntry Item(const std::string& name, const std::string& display) {
    return ServiceEntry{name, display, "x.exe", "c", "d"};
}

TEST(IncrementalSearch, FindsByEitherNameWithoutCaseWrapsAndRestartsAfterAPause) {
    // Trail bytes 0x61 and 0x70 ('a', 'p') stand in double-byte characters that must not match letters.
    const std::vector<ServiceEntry> items = {Item("Alpha", "表示"),   Item("spooler", "印刷"), Item("Beta", "\x83\x61Spa"),
                                            Item("SPX", "ぷ"),       Item("x", "Sample"),     Item("\x83\x70z", "y")};
    const struct {
        const char* keys;  // typed 10 ms apart; '|' is a pause of a second
        int selected;
        int expected;
    } cases[] = {
        {"sp", -1, 1},    // service name, no case
        {"sp", 1, 3},     // "s" begins after the selection, "p" goes on from what it found
        {"spo", -1, 1},
        {"spx", 1, 3},
        {"sa", 3, 4},     // display name
        {"s", 4, 1},      // wraps
        {"ss", 1, 4},     // one letter again and again steps through its items
        {"sq", -1, -1},   // none
        {"s|a", 1, 0},    // the pause starts over with "a"
        {"ap", -1, -1},   // "\x83\x70" is one character, not 'p'
        {"\x83\x70", -1, 5},
        {"\x83\x41", -1, -1},  // nor is its trail byte a letter to fold
        {"\x82\xd5", -1, 3},  // ぷ, whole
        {"\x82", 3, -1},      // a lead byte alone waits for its trail byte
    };
    for (const auto& c : cases) {
        IncrementalSearch search;
        uint64_t now = 5000;
        int selected = c.selected;
        int found = -1;
        for (const char* key = c.keys; *key != '\0'; ++key) {
            if (*key == '|') {
                now += IncrementalSearch::kPauseMs;
                continue;
            }
            now += 10;
            found = search.Type(*key, now, items, selected);
            if (found >= 0) selected = found;
        }
        EXPECT_EQ(found, c.expected) << c.keys << " from " << c.selected;
    }
}

// The stop goes pending; each query moves the service on as the case says.
TEST(ServiceRestart, WaitsWhileTheStopProgressesAndGivesUpWithinItsBounds) {
    const struct {
        const char* what;
        uint32_t waitHint;
        int progressingQueries;  // queries that advance the check point; -1: forever
        int stalledQueries;      // then queries without progress before it stops; -1: never stops
        RestartOutcome expected;
        uint64_t waitedAtLeast, waitedAtMost;
    } cases[] = {
        {"stops after progress", 3000, 5, 2, RestartOutcome{}, 0, 10000},
        {"stalls past its hint", 3000, 2, -1, {RestartStep::WaitForStop, 0, true}, 3000, 4000},
        {"no hint: one second", 0, 0, -1, {RestartStep::WaitForStop, 0, true}, 1000, 1200},
        {"progress forever: 60 s", 3000, -1, 0, {RestartStep::WaitForStop, 0, true}, 60000, 60600},
    };
    for (const auto& c : cases) {
        fake::FakeMachine machine;
        Platform system = machine.Platform();
        fake::FakeService& service = machine.AddService("Slow", "Slow", "x", kServiceRunning);
        service.controlsAccepted = kServiceAcceptStop;
        service.stopsTo = kServiceStopPending;
        service.waitHint = c.waitHint;
        int queries = 0;
        machine.services.onQueryStatus = [&](fake::FakeService& s) {
            ++queries;
            if (c.progressingQueries < 0 || queries <= c.progressingQueries) ++s.checkPoint;
            else if (c.stalledQueries >= 0 && queries > c.progressingQueries + c.stalledQueries) s.currentState = kServiceStopped;
        };
        uint64_t now = 0;
        std::vector<RestartStep> steps;
        RestartPacing pacing{[&] { return now; }, [&](uint32_t ms) { now += ms; }};
        pacing.progress = [&](RestartStep step) { steps.push_back(step); };

        EXPECT_EQ(RestartService(system, "Slow", pacing), c.expected) << c.what;
        EXPECT_GE(now, c.waitedAtLeast) << c.what;
        EXPECT_LE(now, c.waitedAtMost) << c.what;
        const bool started = c.expected.step == RestartStep::Done;
        EXPECT_EQ(service.currentState, started ? kServiceRunning : kServiceStopPending) << c.what;
        EXPECT_EQ(steps.size(), started ? 3u : 2u) << c.what;
        EXPECT_EQ(machine.services.OpenHandles(), 0);
    }
}

TEST(ServiceRestart, ARefusedStepEndsTheRestartWithItsError) {
    fake::FakeMachine machine;
    Platform system = machine.Platform();
    machine.AddService("Base", "Base", "x", kServiceRunning).controlError = kErrorDependentServicesRunning;
    fake::FakeService& mute = machine.AddService("Mute", "Mute", "x", kServiceRunning);
    mute.controlsAccepted = kServiceAcceptStop;
    mute.startError = kErrorServiceRequestTimeout;
    uint64_t now = 0;
    const RestartPacing pacing{[&] { return now; }, [&](uint32_t ms) { now += ms; }};
    EXPECT_EQ(RestartService(system, "Base", pacing), (RestartOutcome{RestartStep::Stop, 1051}));
    EXPECT_EQ(machine.services.Find("Base")->currentState, kServiceRunning) << "nothing stopped behind the user's back";
    EXPECT_EQ(RestartService(system, "Mute", pacing), (RestartOutcome{RestartStep::Start, 1053}));
    EXPECT_EQ(RestartService(system, "Missing", pacing), (RestartOutcome{RestartStep::Stop, kErrorServiceDoesNotExist}));
}

}  // namespace
}  // namespace rondel
