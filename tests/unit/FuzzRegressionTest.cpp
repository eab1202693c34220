// Inputs the fuzz targets (tests/fuzz) found faults with, each at its smallest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "control/DependencyLookup.h"
#include "platform/IconResources.h"

namespace rondel {
namespace {

using fake::FakeMachine;
using namespace platform;
using namespace std::string_literals;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A PE32+ whose one section holds a resource tree at file offset 0x200, the root's single entry
// an icon type whose directory lies at typeOffset from the root.
std::vector<uint8_t> ExecutableWithIconTypeAt(uint32_t typeOffset) {
    std::vector<uint8_t> f(0x218, 0);
    const auto put16 = [&](std::size_t at, uint32_t v) { f[at] = static_cast<uint8_t>(v), f[at + 1] = static_cast<uint8_t>(v >> 8); };
    const auto put32 = [&](std::size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    put16(0, 0x5A4D), put32(60, 64), put32(64, 0x4550), put16(70, 1), put16(84, 240);  // MZ, PE, one section
    put16(88, 0x20B), put32(148, 0x200), put32(196, 16), put32(216, 0x1000), put32(220, 24);  // resources at 0x1000
    put32(336, 24), put32(340, 0x1000), put32(344, 24), put32(348, 0x200);  // the section: 0x1000 at 0x200
    put16(0x20E, 1), put16(0x210, 3), put32(0x214, 0x80000000u | typeOffset);  // the root: RT_ICON
    return f;
}

TEST(FuzzRegression, AResourceDirectoryIsReadForItsCountOnlyWithinTheFile) {
    // The count of a directory past the end was read before its place was checked.
    for (const uint32_t typeOffset : {0x10000u, 0x14u, 0x8u}) {
        const std::vector<uint8_t> bytes = ExecutableWithIconTypeAt(typeOffset);
        MemorySource source(bytes);
        ByteReader file(source);
        EXPECT_FALSE(IconsLieWithin(file)) << typeOffset;
        EXPECT_FALSE(file.Failed()) << "read outside the file, " << typeOffset;
    }
}

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
        StateList list{{}, {}, machine.shell.CreateImageList(32, 32)};
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
