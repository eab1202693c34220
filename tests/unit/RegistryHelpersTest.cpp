#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "catalogue/WexFunc.h"

namespace rondel {
namespace {

using namespace platform;

constexpr const char* kKey = R"(SOFTWARE\Rondel Test)";
constexpr const char* kKeyPath = R"(\SOFTWARE\Rondel Test)";

TEST(ReadRegistryString, ReadsStringValuesAsStoredUpToTheFirstNul) {
    fake::FakeRegistry registry;
    registry.SetString(kKey, "Plain", "値です");
    registry.SetString(kKey, "Expand", R"(%ProgramFiles%\x)", kRegExpandSz);
    registry.SetValue(kKey, "TwoParts", kRegSz, {'a', 'b', 0, 'c', 0});
    registry.SetString(kKey, "Empty", "");
    registry.SetValue(kKey, "NoBytes", kRegSz, {});

    std::string value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Plain", value), 0);
    EXPECT_EQ(value, "値です");
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Expand", value), 0);
    EXPECT_EQ(value, R"(%ProgramFiles%\x)") << "no expansion";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "TwoParts", value), 0);
    EXPECT_EQ(value, "ab");
    value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Empty", value), 0);
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "NoBytes", value), 0);
    EXPECT_EQ(value, "");
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST(ReadRegistryString, MissingKeyOrValueFailsAndOtherTypesReadAsEmpty) {
    fake::FakeRegistry registry;
    registry.SetDword(kKey, "Number", 42);
    registry.SetMultiString(kKey, "Many", {"a", "b"});
    registry.SetString(kKey, "OnlyHere", "hkcu", kRegSz, kHkeyCurrentUser);

    std::string value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, R"(\SOFTWARE\Nowhere)", "Number", value), -1);
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Missing", value), -1);
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Number", value), 0);
    EXPECT_EQ(value, "");
    value = "stale";
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Many", value), 0);
    EXPECT_EQ(value, "");
    // The root given is the root used.
    EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "OnlyHere", value), -1);
    EXPECT_EQ(ReadRegistryString(registry, kHkeyCurrentUser, kKeyPath, "OnlyHere", value), 0);
    EXPECT_EQ(value, "hkcu");
    EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST(ReadRegistryString, AsksForLessReadAccessEachTimeAndNeverForWriting) {
    const uint32_t middle = kStandardRightsRead | kKeyQueryValue | kKeyEnumerateSubKeys;
    const struct {
        uint32_t granted;
        int result;
        std::vector<uint32_t> requests;
    } cases[] = {
        {0xFFFFFFFFu, 0, {kKeyRead}},
        {middle, 0, {kKeyRead, middle}},
        {kKeyQueryValue, 0, {kKeyRead, middle, kKeyQueryValue}},
        {0, -1, {kKeyRead, middle, kKeyQueryValue}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.granted);
        fake::FakeRegistry registry;
        registry.SetString(kKey, "Name", "v");
        registry.LimitAccess(kKey, c.granted);
        std::string value;
        EXPECT_EQ(ReadRegistryString(registry, kHkeyLocalMachine, kKeyPath, "Name", value), c.result);
        EXPECT_EQ(value, c.result == 0 ? "v" : "");
        EXPECT_EQ(registry.openAccessRequests, c.requests);
        EXPECT_EQ(registry.OpenHandles(), 0);
    }
}

TEST(GetProgramFilesDir, ReadsTheRecordedDirectoryOrNothing) {
    fake::FakeRegistry registry;
    EXPECT_EQ(GetProgramFilesDir(registry), "");
    registry.SetString(R"(SOFTWARE\Microsoft\Windows\CurrentVersion)", "ProgramFilesDir", R"(C:\Program Files)");
    EXPECT_EQ(GetProgramFilesDir(registry), R"(C:\Program Files)");
    registry.SetDword(R"(SOFTWARE\Microsoft\Windows\CurrentVersion)", "ProgramFilesDir", 1);
    EXPECT_EQ(GetProgramFilesDir(registry), "");
    EXPECT_EQ(registry.OpenHandles(), 0);
}

}  // namespace
}  // namespace rondel
