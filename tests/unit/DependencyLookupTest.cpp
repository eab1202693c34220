#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceEntry.h"
#include "control/DependencyLookup.h"

namespace rondel {
namespace {

using fake::FakeFile;
using fake::FakeImageList;
using fake::FakeMachine;
using namespace platform;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(DependOnServiceNames, StopsAtTheEmptyNameOrTheEndOfTheData) {
    const struct {
        std::string value;
        std::vector<std::string> names;
    } cases[] = {
        {std::string("A\0Bb\0\0C\0\0", 10), {"A", "Bb"}},  // the empty name ends the walk
        {std::string("A\0B", 3), {"A", "B"}},               // no terminating NULs: the data ends it
        {std::string("\0A\0", 3), {}},
        {"", {}},
        {std::string(300, 'n') + std::string(1, '\0'), {std::string(300, 'n')}},  // longer than 256
    };
    for (const auto& c : cases) EXPECT_EQ(DependOnServiceNames(Bytes(c.value)), c.names);
}

class DependencyTest : public ::testing::Test {
protected:
    DependencyTest() {
        machine.files.AddFile("C:\\svc\\a.exe", FakeFile{std::nullopt, std::string("icon-a")});
        machine.AddService("Main", "本体", "C:\\svc\\main.exe", kServiceRunning);
        machine.AddService("Zeta", "Z サービス", "C:\\svc\\a.exe");
        machine.AddService("Alpha", "A サービス", "C:\\svc\\none.exe", kServiceRunning);
        machine.AddService("Disk", "ディスク", "\\SystemRoot\\disk.sys", kServiceRunning, kServiceKernelDriver);
    }
    ~DependencyTest() override {
        EXPECT_EQ(machine.services.OpenHandles(), 0);
        EXPECT_EQ(machine.registry.OpenHandles(), 0);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const ServiceEntry& e : list.entries) names.push_back(e.serviceName);
        return names;
    }
    const std::vector<std::string>& Pictures() const {
        return static_cast<const FakeImageList&>(*list.images).Pictures();
    }

    FakeMachine machine;
    Platform system = machine.Platform();
    IconHandle driver = machine.shell.MakeIcon("driver");
    IconHandle defaultIcon = machine.shell.MakeIcon("default");
    DependencyIcons icons{driver.get(), defaultIcon.get()};
    StateList list{{}, {}, machine.shell.CreateImageList(32, 32)};
    std::vector<ServiceReadError> errors;
};

TEST_F(DependencyTest, DependenciesOnceEachSortedWithTheirIcons) {
    machine.registry.SetMultiString(FakeMachine::ServiceKey("Main"), "DependOnService",
                                    {"Zeta", "Disk", "alpha", "ZETA", "Missing", "Alpha"});
    machine.registry.LimitAccess(FakeMachine::ServiceKey("Main"), kKeyRead);
    ListDependencies(system, "Main", list, icons, errors);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Missing", "alpha", "Zeta", "Disk"}))
        << "by display name: the empty one first; each name once, spelled as met first";
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"default", "default", "icon-a", "driver"}));
    EXPECT_EQ(list.items[0], "Missing\t\t\t\t\t");
    EXPECT_TRUE(errors.empty());

    // Run again: the list is rebuilt, not appended to.
    ListDependencies(system, "Main", list, icons, errors);
    EXPECT_EQ(list.items.size(), 4u);
    EXPECT_EQ(list.images->Count(), 4);

    // As the window shows them: each with its state; one the manager does not know, as such.
    const DependencyLists both = LookUpDependencies(system, "Main", icons);
    EXPECT_EQ(both.dependencyStates, (std::vector<ListedState>{{0, false}, {kServiceRunning, true}, {kServiceStopped, true},
                                                               {kServiceRunning, true}}));
    std::vector<std::string> shown;
    for (std::size_t k = 0; k < both.dependencies.entries.size(); ++k)
        shown.push_back(DependencyDisplayText(both.dependencies.entries[k], both.dependencyStates[k]));
    EXPECT_EQ(shown[0], "[ Missing ] （存在しません）\r\n　　会社：\r\n　　説明：");
    EXPECT_EQ(shown[1].substr(0, shown[1].find("\r\n")), "[ alpha ] A サービス　（実行中）");
    EXPECT_EQ(shown[2].substr(0, shown[2].find("\r\n")), "[ Zeta ] Z サービス　（停止）");
    EXPECT_EQ(machine.services.OpenHandles(), 0);
}

TEST_F(DependencyTest, OddDependOnServiceValues) {
    const std::string key = FakeMachine::ServiceKey("Main");
    // More than 4096 bytes is read whole: the last name still counts.
    std::string big;
    for (int i = 0; i < 700; ++i) big += "Nobody" + std::to_string(i) + std::string(1, '\0');
    machine.registry.SetValue(key, "DependOnService", kRegMultiSz, Bytes(big + "Zeta" + std::string(2, '\0')));
    ListDependencies(system, "Main", list, icons, errors);
    EXPECT_EQ(list.items.size(), 701u);
    EXPECT_EQ(Names().back(), "Zeta");

    // Missing or empty: nothing. A string type: an error, and the list stays empty.
    machine.registry.SetValue(key, "DependOnService", kRegBinary, {});
    ListDependencies(system, "Main", list, icons, errors);
    EXPECT_TRUE(list.items.empty());
    machine.registry.SetString(key, "DependOnService", "Zeta");
    EXPECT_THROW(ListDependencies(system, "Main", list, icons, errors), RegistryError);
    EXPECT_TRUE(list.items.empty());

    // A listed service whose own registry is odd is listed with what could be read.
    machine.registry.SetMultiString(key, "DependOnService", {"Alpha"});
    machine.registry.SetString(FakeMachine::ServiceKey("Alpha"), "Type", "16");
    ListDependencies(system, "Main", list, icons, errors);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, "'Type' のデータ型が不正です");
}

TEST_F(DependencyTest, EveryDependentWhateverItsStateAndHowManyThereAre) {
    auto& main = *machine.services.Find("Main");
    main.dependents = {"Zeta", "Disk", "alpha", "Alpha"};
    for (int i = 0; i < 300; ++i) {
        const std::string name = "Dependent" + std::to_string(100 + i);
        machine.AddService(name, "依存 " + std::to_string(100 + i), "C:\\svc\\none.exe");
        main.dependents.push_back(name);
    }
    ListDependents(system, "Main", list, icons, errors);
    ASSERT_EQ(list.items.size(), 303u) << "more than fit in 9216 bytes, and each name once";
    const std::vector<std::string> names = Names();
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3), (std::vector<std::string>{"Alpha", "Zeta", "Disk"}))
        << "as the manager spells them, by display name";
    EXPECT_EQ(std::vector<std::string>(Pictures().begin(), Pictures().begin() + 3),
              (std::vector<std::string>{"default", "icon-a", "driver"}));

    // Nothing depends on it, or it cannot be opened: an empty list.
    ListDependents(system, "Zeta", list, icons, errors);
    EXPECT_TRUE(list.items.empty());
    ListDependents(system, "NoSuchService", list, icons, errors);
    EXPECT_TRUE(list.items.empty());
}

}  // namespace
}  // namespace rondel
