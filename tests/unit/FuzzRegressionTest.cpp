// Inputs the fuzz targets (tests/fuzz) found faults with, each at its smallest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "control/DependencyLookup.h"

namespace rondel {
namespace {

using fake::FakeMachine;
using namespace platform;
using namespace std::string_literals;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(FuzzRegression, DependencyNamesThatDoNotSplitBackWholeAreStillListedOnce) {
    // A name's item is split to compare names: a TAB or line break in it made every
    // occurrence look new.
    const struct {
        std::string value;
        std::size_t listed;
    } cases[] = {
        {"\t\0\t"s, 1},
        {"A\rb\0a\rB\0A\rb\0\0"s, 1},
        {"x\ny\0x\0X\ny\0\0"s, 2},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        Platform system = machine.Platform();
        machine.AddService("Main", "本体", "C:\\svc\\main.exe");
        machine.registry.SetValue(FakeMachine::ServiceKey("Main"), "DependOnService", kRegMultiSz, Bytes(c.value));
        StateList list{{}, machine.shell.CreateImageList(32, 32)};
        std::vector<ServiceReadError> errors;
        ListDependencies(system, "Main", list, {}, errors);
        EXPECT_EQ(list.items.size(), c.listed) << testing::PrintToString(c.value);
        EXPECT_EQ(list.images->Count(), static_cast<int>(c.listed));
    }
}

TEST(FuzzRegression, CatalogueSortsByTheDisplayNameItsItemsGiveBack) {
    // The display name a list shows and SortStateList sorts by is the item's second field; a
    // TAB or line break in the first two fields moves it. The build sorted by the stored one.
    const struct {
        std::vector<std::pair<std::string, std::string>> services;  // name, display name
        std::vector<std::string> sorted;
    } cases[] = {
        {{{"\rB", "1"}, {"\rA", "2"}}, {"\rA", "\rB"}},            // shown: "B", "A"
        {{{"x", "b\x01"}, {"y", "b\t1"}}, {"y", "x"}},               // shown: "b\x01", "b"
        {{{"p", "q\nz"}, {"r", "q"}, {"s", "q\x05"}}, {"p", "r", "s"}},  // shown: "q", "q", "q\x05"
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        Platform system = machine.Platform();
        for (const auto& [name, display] : c.services) machine.AddService(name, display, "x", kServiceRunning);
        ServiceCatalogue catalogue(system);
        catalogue.BuildServiceLists(0);
        const std::vector<std::string>& items = catalogue.List(kRunningTab).items;
        ASSERT_EQ(items.size(), c.sorted.size());
        for (std::size_t k = 0; k < items.size(); ++k)
            EXPECT_EQ(items[k].substr(0, items[k].find('\t')), c.sorted[k]) << testing::PrintToString(c.sorted);
    }
}

}  // namespace
}  // namespace rondel
