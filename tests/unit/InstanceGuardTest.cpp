#include <gtest/gtest.h>

#include <vector>

#include "FakePlatform.h"
#include "app/InstanceGuard.h"

namespace rondel {
namespace {

// The running instance as a start meets it: the guard answers each wait as scripted (the last
// answer repeats), the window shows once `windowAfterWaits` waits have been made.
struct FakeRunningInstance : IRunningInstance {
    platform::RawHandle window = 0;
    int windowAfterWaits = 0;
    std::vector<GuardWait> answers{GuardWait::Taken};
    int restored = 0;
    int waits = 0;
    uint32_t waitedMs = 0;
    bool owned = false;
    std::string guard;  // the name last waited for
    platform::RawHandle FindApplicationWindow() override { return waits >= windowAfterWaits ? window : 0; }
    void RestoreAndActivate(platform::RawHandle w) override {
        EXPECT_EQ(w, window);
        ++restored;
    }
    GuardWait WaitForGuard(const std::string& name, uint32_t milliseconds) override {
        guard = name;
        EXPECT_LE(milliseconds, kHandOverCheckMs) << "every wait is a short one";
        if (owned) return GuardWait::Taken;
        waitedMs += milliseconds;
        const GuardWait answer = answers[std::min<std::size_t>(waits, answers.size() - 1)];
        ++waits;
        owned = answer == GuardWait::Taken;
        return answer;
    }
    void ReleaseGuard() override { owned = false; }
};

TEST(InstanceGuard, FirstStartRunsAndASecondHandsOverWithoutTouchingTheMarker) {
    fake::FakeAtomTable atoms;
    FakeRunningInstance running;
    const StartDecision first = CheckSingleInstance(atoms, running, "Rondel.exe");
    EXPECT_EQ(first.outcome, StartOutcome::Run);
    EXPECT_NE(first.atom, 0);
    EXPECT_EQ(running.restored, 0);

    running.window = 0x1234;
    const StartDecision second = CheckSingleInstance(atoms, running, "RONDEL.EXE");  // atoms ignore case
    EXPECT_EQ(second.outcome, StartOutcome::HandedOver);
    EXPECT_EQ(running.restored, 1);
    EXPECT_EQ(atoms.References("Rondel.exe"), 1) << "the marker belongs to the first instance";

    // A copy under another file name runs beside it.
    running.window = 0;
    EXPECT_EQ(CheckSingleInstance(atoms, running, "Rondel2.exe").outcome, StartOutcome::Run);
}

TEST(InstanceGuard, RefusedMarkerRefusesTheStartAndNamesComeFromTheFullPath) {
    fake::FakeAtomTable atoms;
    atoms.refuseAdd = true;
    FakeRunningInstance running;
    EXPECT_EQ(CheckSingleInstance(atoms, running, "Rondel.exe").outcome, StartOutcome::Refused);
    EXPECT_FALSE(running.owned) << "a start that ends keeps no guard";

    EXPECT_EQ(FileNamePart("C:\\Program Files\\Rondel\\Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("D:Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("C:\\ソフト\\表示.exe"), "表示.exe") << "ソ ends in 0x5C, which is no separator";

    EXPECT_EQ(InstanceGuardName("RONDEL.EXE"), InstanceGuardName("rondel.exe"));
    EXPECT_NE(InstanceGuardName("Rondel.exe"), InstanceGuardName("Rondel2.exe"));
    EXPECT_NE(InstanceGuardName("ア.exe"), InstanceGuardName("ヂ.exe")) << "ア is 0x83 0x41, ヂ 0x83 0x61";
}

// Starts at the same moment: whichever takes the guard runs; the others wait, a few seconds at
// most, for its window or for the guard.
TEST(InstanceGuard, OnlyTheStartThatTakesTheGuardRunsAndNoneWaitsLong) {
    constexpr platform::RawHandle kWindow = 0x1234;
    using enum GuardWait;
    struct Case {
        const char* what;
        std::vector<GuardWait> answers;
        platform::RawHandle window;
        int windowAfterWaits;
        bool marker;  // left by the instance that held the guard
        StartOutcome outcome;
        bool owned;
        uint32_t minWaitMs, maxWaitMs;
    };
    const Case cases[] = {
        {"the guard is free", {Taken}, 0, 0, false, StartOutcome::Run, true, 0, 0},
        {"the owner's window shows after two steps", {Held}, kWindow, 3, true, StartOutcome::HandedOver, false,
         2 * kGuardWaitStepMs + kHandOverCheckMs, 2 * kGuardWaitStepMs + kHandOverCheckMs},
        {"the owner's window was closing as it was found", {Held, Taken}, kWindow, 0, false, StartOutcome::Run, true,
         kHandOverCheckMs, kHandOverCheckMs},
        {"the owner went before it showed a window", {Held, Held, Taken}, 0, 0, false, StartOutcome::Run, true,
         2 * kGuardWaitStepMs, 2 * kGuardWaitStepMs},
        {"the owner was killed, its marker left", {Held, Taken}, 0, 0, true, StartOutcome::Run, true,
         kGuardWaitStepMs, kGuardWaitStepMs},
        {"a marker without a window, the guard free", {Taken}, 0, 0, true, StartOutcome::Run, true, 0, 0},
        {"the owner never shows a window", {Held}, 0, 0, true, StartOutcome::AnotherStarting, false, 3000, 5000},
        {"a window and marker without the guard", {Taken}, kWindow, 0, true, StartOutcome::HandedOver, false, 0, 0},
        {"no guard can be made: the marker decides", {Unavailable}, kWindow, 0, true, StartOutcome::HandedOver,
         false, 0, 0},
        {"no guard can be made, no marker", {Unavailable}, 0, 0, false, StartOutcome::Run, false, 0, 0},
        {"the guard fails while held", {Held, Unavailable}, 0, 0, false, StartOutcome::Run, false,
         kGuardWaitStepMs, kGuardWaitStepMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeAtomTable atoms;
        const uint16_t marker = c.marker ? atoms.AddGlobalAtom("Rondel.exe") : 0;
        FakeRunningInstance running;
        running.answers = c.answers;
        running.window = c.window;
        running.windowAfterWaits = c.windowAfterWaits;
        const StartDecision d = CheckSingleInstance(atoms, running, "Rondel.exe");
        EXPECT_EQ(running.guard, InstanceGuardName("Rondel.exe"));
        EXPECT_EQ(d.outcome, c.outcome);
        EXPECT_EQ(running.owned, c.owned) << "only a run keeps the guard";
        EXPECT_EQ(running.restored, c.window != 0 ? 1 : 0);
        EXPECT_GE(running.waitedMs, c.minWaitMs);
        EXPECT_LE(running.waitedMs, c.maxWaitMs);
        if (c.outcome == StartOutcome::Run) {
            EXPECT_EQ(d.atom, marker != 0 ? marker : atoms.FindGlobalAtom("Rondel.exe"));
            EXPECT_NE(d.atom, 0);
        } else {
            EXPECT_EQ(d.atom, 0);
        }
        EXPECT_EQ(atoms.References("Rondel.exe"), 1) << "one marker, never a second reference";
    }
}

}  // namespace
}  // namespace rondel
