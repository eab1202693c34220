#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "FakePlatform.h"
#include "catalogue/CatalogueMemory.h"
#include "catalogue/ServiceCatalogue.h"

namespace rondel {
namespace {

using fake::FakeFile;
using fake::FakeMachine;
using namespace platform;

// Two builds with one memory, a change between them: whether the second found the lists
// unchanged, which executables it read again and whether it read the services' keys again.
TEST(CatalogueMemory, ReadsAgainOnlyWhatChangedAndTellsWhenNothingDid) {
    const struct {
        const char* what;
        std::function<void(FakeMachine&)> change;
        bool unchanged;
        std::vector<std::string> readAgain;  // executables whose version block was read again
        std::size_t keysAgain;                // services' keys read again
    } cases[] = {
        {"nothing", [](FakeMachine&) {}, true, {}, 0},
        {"an executable written", [](FakeMachine& m) { m.files.AddFile("C:\\svc\\a.exe", FakeFile{{}, "a2", 2}); },
         false, {"C:\\svc\\a.exe"}, 0},
        {"a service stopped", [](FakeMachine& m) { m.services.Find("A1")->currentState = kServiceStopped; }, false, {}, 0},
        {"a display name changed",
         [](FakeMachine& m) { m.registry.SetString(FakeMachine::ServiceKey("B"), "DisplayName", "ビー"); }, false, {}, 1},
        {"a value written again as it was",
         [](FakeMachine& m) { m.registry.SetString(FakeMachine::ServiceKey("B"), "DisplayName", "B"); }, true, {}, 1},
        {"a service added", [](FakeMachine& m) { m.AddService("C", "C", "C:\\svc\\b.exe", kServiceRunning); }, false, {}, 1},
        {"a service writing its parameters below its key",
         [](FakeMachine& m) { m.registry.SetDword(FakeMachine::ServiceKey("A1") + "\\Parameters", "Tick", 2); }, true,
         {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.files.AddFile("C:\\svc\\a.exe", FakeFile{{}, "a", 1});
        machine.files.AddFile("C:\\svc\\b.exe", FakeFile{{}, "b", 1});
        machine.AddService("A1", "A1", "C:\\svc\\a.exe -one", kServiceRunning);
        machine.AddService("A2", "A2", "C:\\svc\\a.exe -two", kServiceRunning);
        machine.AddService("B", "B", "C:\\svc\\b.exe");
        machine.registry.SetDword(FakeMachine::ServiceKey("A1") + "\\Parameters", "Tick", 1);
        Platform system = machine.Platform();
        const IconHandle defaultIcon = machine.shell.MakeIcon("default");
        CatalogueMemory memory(system);
        const CatalogueBuild first = BuildCatalogue(system, defaultIcon.get(), &memory);
        ASSERT_NE(first.catalogue, nullptr);
        EXPECT_EQ(machine.files.versionQueries.size(), 2u) << "each executable read once";

        c.change(machine);
        machine.files.versionQueries.clear();
        machine.shell.associatedIconQueries.clear();
        machine.registry.openAccessRequests.clear();
        const CatalogueBuild second = BuildCatalogue(system, defaultIcon.get(), &memory);
        EXPECT_EQ(second.result.unchanged, c.unchanged);
        EXPECT_EQ(second.catalogue == nullptr, c.unchanged);
        EXPECT_EQ(machine.files.versionQueries, c.readAgain);
        EXPECT_EQ(machine.shell.associatedIconQueries, c.readAgain);
        EXPECT_EQ(machine.registry.openAccessRequests.size(), c.keysAgain);
        // A new catalogue is the one a build without memory makes.
        if (second.catalogue != nullptr) {
            const CatalogueBuild plain = BuildCatalogue(system, defaultIcon.get());
            for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab})
                EXPECT_EQ(second.catalogue->List(tab).items, plain.catalogue->List(tab).items);
        }
    }
}

}  // namespace
}  // namespace rondel
