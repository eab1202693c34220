#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "app/InstanceGuard.h"

namespace rondel {
namespace {

struct FakeRunningInstance : IRunningInstance {
    platform::RawHandle window = 0;
    int restored = 0;
    platform::RawHandle FindApplicationWindow() override { return window; }
    void RestoreAndActivate(platform::RawHandle w) override {
        EXPECT_EQ(w, window);
        ++restored;
    }
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
    EXPECT_EQ(CheckSingleInstance(atoms, running, "Rondel2.exe").outcome, StartOutcome::Run);
}

TEST(InstanceGuard, StaleMarkerIsTakenOverAndClearedByTheRunThatFindsIt) {
    fake::FakeAtomTable atoms;
    FakeRunningInstance running;  // no window: the instance that made the marker was killed
    const uint16_t stale = atoms.AddGlobalAtom("Rondel.exe");
    const StartDecision d = CheckSingleInstance(atoms, running, "Rondel.exe");
    EXPECT_EQ(d.outcome, StartOutcome::Run);
    EXPECT_EQ(d.atom, stale);
    EXPECT_EQ(atoms.References("Rondel.exe"), 1) << "no second reference is added";
    atoms.DeleteGlobalAtom(d.atom);  // what the run does after its message loop
    EXPECT_EQ(atoms.FindGlobalAtom("Rondel.exe"), 0);
}

TEST(InstanceGuard, RefusedMarkerRefusesTheStartAndFileNamesComeFromTheFullPath) {
    fake::FakeAtomTable atoms;
    atoms.refuseAdd = true;
    FakeRunningInstance running;
    EXPECT_EQ(CheckSingleInstance(atoms, running, "Rondel.exe").outcome, StartOutcome::Refused);

    EXPECT_EQ(FileNamePart("C:\\Program Files\\Rondel\\Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("D:Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("Rondel.exe"), "Rondel.exe");
    EXPECT_EQ(FileNamePart("C:\\ソフト\\表示.exe"), "表示.exe") << "ソ ends in 0x5C, which is no separator";
}

}  // namespace
}  // namespace rondel
