#include <gtest/gtest.h>

#include <array>
#include <map>
#include <numeric>
#include <set>
#include <string>

#include "FakePlatform.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"

namespace rondel {
namespace {

using fake::FakeFile;
using fake::FakeImageList;
using fake::FakeMachine;
using namespace platform;

std::string Field(const std::string& item, int index) {
    ServiceEntry e;
    SplitServiceItem(item, e);
    const std::string* fields[] = {&e.serviceName, &e.displayName, &e.executablePath, &e.company, &e.description};
    return *fields[index];
}

std::vector<std::string> Names(const StateList& list) {
    std::vector<std::string> names;
    for (const auto& item : list.items) names.push_back(Field(item, 0));
    return names;
}

const std::vector<std::string>& Pictures(const StateList& list) {
    return static_cast<const FakeImageList&>(*list.images).Pictures();
}

class CatalogueTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(machine.services.OpenHandles(), 0) << "the manager handle is closed";
        EXPECT_EQ(machine.registry.OpenHandles(), 0);
    }
    BuildResult Build() { return catalogue.BuildServiceLists(defaultIcon.get()); }

    FakeMachine machine;
    Platform system = machine.Platform();
    ServiceCatalogue catalogue{system};
    IconHandle defaultIcon = machine.shell.MakeIcon("default");
};

TEST(TabOfState, EveryStateValueHasItsTab) {
    EXPECT_EQ(TabOfState(kServiceStopped), kStoppedTab);
    EXPECT_EQ(TabOfState(kServiceStartPending), kRunningTab);
    EXPECT_EQ(TabOfState(kServiceStopPending), kStoppedTab);
    EXPECT_EQ(TabOfState(kServiceRunning), kRunningTab);
    EXPECT_EQ(TabOfState(kServiceContinuePending), kPausedTab);
    EXPECT_EQ(TabOfState(kServicePausePending), kRunningTab);
    EXPECT_EQ(TabOfState(kServicePaused), kPausedTab);
    for (const uint32_t outside : {0u, 8u, 9u, 0xFFFFFFFFu}) EXPECT_EQ(TabOfState(outside), kRunningTab) << outside;
}

TEST_F(CatalogueTest, ServicesLandInTheTabOfTheirStateWithTheirIconsAndDriversAreLeftOut) {
    machine.files.AddFile("C:\\svc\\run.exe", FakeFile{std::nullopt, std::string("run-icon")});
    machine.AddService("Run", "実行中", "C:\\svc\\run.exe", kServiceRunning);
    machine.AddService("Nine", "状態9", "C:\\svc\\none.exe", 9);
    machine.AddService("PausePending", "一時停止待ち", "C:\\svc\\run.exe", kServicePausePending);
    machine.AddService("ContinuePending", "再開待ち", "x", kServiceContinuePending);
    machine.AddService("Paused", "一時停止中", "x", kServicePaused);
    machine.AddService("StopPending", "停止待ち", "x", kServiceStopPending);
    machine.AddService("Stopped", "停止中", "x", kServiceStopped);
    machine.AddService("Driver", "ドライバ", "\\SystemRoot\\x.sys", kServiceRunning, kServiceKernelDriver);

    const BuildResult result = Build();
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(result.readErrors.empty());

    const StateList& running = catalogue.List(kRunningTab);
    EXPECT_EQ(Names(running), (std::vector<std::string>{"PausePending", "Run", "Nine"}));
    EXPECT_EQ(Pictures(running), (std::vector<std::string>{"run-icon", "run-icon", "default"}));
    EXPECT_EQ(Names(catalogue.List(kPausedTab)), (std::vector<std::string>{"Paused", "ContinuePending"}));
    EXPECT_EQ(Names(catalogue.List(kStoppedTab)), (std::vector<std::string>{"StopPending", "Stopped"}))
        << "停止待ち (0x92 0xE2 0x91 0xD2) before 停止中 (0x92 0xE2 0x92 0x86)";
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab})
        EXPECT_EQ(catalogue.List(tab).images->Count(), static_cast<int>(catalogue.List(tab).items.size()));
    EXPECT_EQ(machine.shell.LiveIcons(), 1) << "only the default icon is still alive";

    // The list-item text as stored, and a rebuild after Clear gives the same lists.
    EXPECT_EQ(running.items[1], "Run\t実行中\tC:\\svc\\run.exe\t不明\t不明\t");
    catalogue.Clear();
    EXPECT_TRUE(catalogue.List(kRunningTab).items.empty());
    EXPECT_EQ(catalogue.List(kRunningTab).images->Count(), 0);
    Build();
    EXPECT_EQ(Names(catalogue.List(kRunningTab)), (std::vector<std::string>{"PausePending", "Run", "Nine"}));
}

TEST(SortStateList, ExchangeOrderOfEqualNamesAndIconsMoveWithTheirItems) {
    FakeMachine machine;
    auto images = machine.shell.CreateImageList(32, 32);
    auto& pictures = static_cast<const FakeImageList&>(*images).Pictures();
    auto add = [&](std::vector<std::string>& items, const std::string& name, const std::string& display) {
        ServiceEntry e;
        e.serviceName = name;
        e.displayName = display;
        items.push_back(MakeServiceItem(e));
        images->AddIcon(machine.shell.MakeIcon("icon-" + name).get());
    };

    std::vector<std::string> items;
    add(items, "b1", "B");
    add(items, "b2", "B");
    add(items, "a", "A");
    SortStateList(items, *images);
    EXPECT_EQ(Names(StateList{items, {}, nullptr}), (std::vector<std::string>{"a", "b2", "b1"}));
    EXPECT_EQ(pictures, (std::vector<std::string>{"icon-a", "icon-b2", "icon-b1"}));

    // Unsigned bytes, no locale: an empty name first, upper case before lower, Shift-JIS
    // (lead bytes 0x81 and up) after ASCII, and a prefix before its extensions.
    items.clear();
    images->Clear();
    add(items, "kana", "サービス");    // 0x83 ...
    add(items, "hira", "さーびす");    // 0x82 ...
    add(items, "lower", "abc");
    add(items, "upper", "ABC");
    add(items, "longer", "ABCD");
    add(items, "empty", "");
    SortStateList(items, *images);
    EXPECT_EQ(Names(StateList{items, {}, nullptr}),
              (std::vector<std::string>{"empty", "upper", "longer", "lower", "hira", "kana"}));
    for (std::size_t k = 0; k < items.size(); ++k) EXPECT_EQ(pictures[k], "icon-" + Field(items[k], 0));

    // Zero or one item: nothing is touched, neither the item nor its icon.
    std::vector<std::string> one{items[0]};
    auto single = machine.shell.CreateImageList(32, 32);
    single->AddIcon(machine.shell.MakeIcon("only").get());
    SortStateList(one, *single);
    EXPECT_EQ(one, std::vector<std::string>{items[0]});
    EXPECT_EQ(static_cast<const FakeImageList&>(*single).Pictures(), std::vector<std::string>{"only"});
    std::vector<std::string> none;
    SortStateList(none, *single);
    EXPECT_TRUE(none.empty());
}

TEST_F(CatalogueTest, EnumerationPagesThroughManyBatchesAndListsEveryServiceOnce) {
    std::set<std::string> expected;
    for (int i = 0; i < 400; ++i) {
        const std::string name = "Service" + std::to_string(1000 + i) + std::string(40, 'x');
        machine.AddService(name, "表示名" + std::to_string(i), "x", i % 3 == 0 ? kServiceRunning : kServiceStopped);
        expected.insert(name);
    }
    EXPECT_TRUE(Build().Complete());
    EXPECT_GT(machine.services.enumBufferSizes.size(), 3u) << "several 9216-byte batches";
    for (const uint32_t size : machine.services.enumBufferSizes) EXPECT_EQ(size, 9216u);

    std::multiset<std::string> listed;
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab})
        for (const auto& name : Names(catalogue.List(tab))) listed.insert(name);
    EXPECT_EQ(listed.size(), expected.size());
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
}

TEST_F(CatalogueTest, WineStylePagingWithoutProgressAsksOnceMoreWithTheSizeNeeded) {
    machine.services.wineStylePaging = true;
    for (int i = 0; i < 250; ++i) machine.AddService("Wine" + std::to_string(i), "W" + std::to_string(i), "x");
    const BuildResult result = Build();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(machine.services.enumBufferSizes.size(), 2u);
    EXPECT_EQ(machine.services.enumBufferSizes[0], 9216u);
    EXPECT_GT(machine.services.enumBufferSizes[1], 9216u);
    const auto names = Names(catalogue.List(kStoppedTab));
    EXPECT_EQ(names.size(), 250u) << "the null-named records of the first answer are not listed";
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 250u);
}

TEST_F(CatalogueTest, RefusedManagerAndLaterFailuresLeaveWhatWasListedSorted) {
    machine.services.openManagerError = kErrorAccessDenied;
    machine.AddService("Zeta", "Z", "x");
    BuildResult result = Build();
    EXPECT_EQ(result.openError, kErrorAccessDenied);
    EXPECT_FALSE(result.Complete());
    EXPECT_TRUE(catalogue.List(kStoppedTab).items.empty());

    machine.services.openManagerError = 0;
    for (int i = 0; i < 300; ++i) machine.AddService("S" + std::to_string(i), "名前" + std::to_string(299 - i), "x");
    machine.services.failAfterBatches = 1;
    result = Build();
    EXPECT_EQ(result.enumerationError, kErrorAccessDenied);
    const StateList& stopped = catalogue.List(kStoppedTab);
    ASSERT_FALSE(stopped.items.empty());
    EXPECT_LT(stopped.items.size(), 301u);
    for (std::size_t k = 1; k < stopped.items.size(); ++k)
        EXPECT_LE(Field(stopped.items[k - 1], 1), Field(stopped.items[k], 1)) << "still sorted";
}

TEST_F(CatalogueTest, RegistryErrorOfOneServiceDoesNotHideTheRest) {
    machine.AddService("Good2", "良い 2", "x");
    machine.AddService("Bad", "悪い", "x");
    machine.AddService("Good1", "良い 1", "x");
    machine.registry.SetString(FakeMachine::ServiceKey("Bad"), "Type", "not a number");

    const BuildResult result = Build();
    EXPECT_TRUE(result.Complete()) << "every service was listed";
    ASSERT_EQ(result.readErrors.size(), 1u);
    EXPECT_EQ(result.readErrors[0].serviceName, "Bad");
    EXPECT_EQ(result.readErrors[0].message, "'Type' のデータ型が不正です");

    const StateList& stopped = catalogue.List(kStoppedTab);
    EXPECT_EQ(Names(stopped), (std::vector<std::string>{"Bad", "Good1", "Good2"})) << "and sorted: 悪 is 0x88 0xAB, 良 0x97 0xC7";
    EXPECT_EQ(stopped.items[0], "Bad\t悪い\t\t\t\t") << "listed with what was read before the error";
    EXPECT_EQ(Pictures(stopped)[0], "default");
    EXPECT_EQ(Field(stopped.items[2], 4), "実行ファイルが見つかりません");
}

}  // namespace
}  // namespace rondel

namespace rondel {
namespace {

// Windows refuses full access to the keys and handles of protected services, even to
// administrators: read rights must be enough to list one completely.
TEST_F(CatalogueTest, ReadRightsAloneListAProtectedServiceInFull) {
    fake::FakeVersionInfo version;
    version.tables["041104B0"] = {{"CompanyName", "会社"}, {"FileDescription", "保護された"}};
    machine.files.AddFile("C:\\svc\\guard.exe", FakeFile{version, std::string("guard-icon")});
    machine.AddService("Guarded", "保護", "C:\\svc\\guard.exe", kServiceRunning);
    machine.registry.LimitAccess(FakeMachine::ServiceKey("Guarded"), kKeyRead);
    machine.services.managerGrantedAccess = kScManagerConnect | kScManagerEnumerateService;

    const BuildResult result = Build();
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(result.readErrors.empty());
    EXPECT_EQ(catalogue.List(kRunningTab).items,
              std::vector<std::string>{"Guarded\t保護\tC:\\svc\\guard.exe\t会社\t保護された\t"});
    EXPECT_EQ(Pictures(catalogue.List(kRunningTab)), std::vector<std::string>{"guard-icon"});
}

TEST_F(CatalogueTest, ListingGivesTabsInOrderAndTheStoredTextsWithCrLf) {
    machine.AddService("S", "停止", "x", kServiceStopped);
    machine.AddService("P", "一時", "x", kServicePaused);
    machine.AddService("R2", "b", "x", kServiceRunning);
    machine.AddService("R1", "a", "x", kServiceRunning);
    Build();
    EXPECT_EQ(FormatCatalogueListing(catalogue),
              "0\tR1\ta\tx\t不明\t実行ファイルが見つかりません\t\r\n"
              "0\tR2\tb\tx\t不明\t実行ファイルが見つかりません\t\r\n"
              "1\tP\t一時\tx\t不明\t実行ファイルが見つかりません\t\r\n"
              "2\tS\t停止\tx\t不明\t実行ファイルが見つかりません\t\r\n");
    EXPECT_EQ(machine.shell.PictureOf(LoadSystemIcon(system, kDefaultServiceIconIndex).get()), "default");
    EXPECT_EQ(machine.shell.PictureOf(LoadSystemIcon(system, kDriverIconIndex).get()), "driver");
}

// The fast paths give what the plain procedure gives: the exchange sort done on the bytes,
// and every service read on its own with its icon added and moved along by SortStateList.
TEST(ExchangeSortOrder, IsThePlainExchangeSortOnRandomNamesWithManyEqual) {
    unsigned seed = 7;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const std::vector<std::string> alphabet = {"", "A", "AB", "a", "B", "ab", "\x83T", "\x82\xA0", "\x83T\x81"};
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> names(next() % 40);
        for (auto& name : names) name = alphabet[next() % alphabet.size()];
        std::vector<std::size_t> plain(names.size());
        std::iota(plain.begin(), plain.end(), std::size_t{0});
        std::vector<std::string> at = names;
        for (std::size_t i = 0; i + 1 < at.size(); ++i)
            for (std::size_t j = i + 1; j < at.size(); ++j)
                if (std::lexicographical_compare(at[j].begin(), at[j].end(), at[i].begin(), at[i].end(),
                                                 [](char x, char y) { return uint8_t(x) < uint8_t(y); })) {
                    std::swap(at[i], at[j]);
                    std::swap(plain[i], plain[j]);
                }
        EXPECT_EQ(ExchangeSortOrder(names), plain) << "round " << round;
    }
}

TEST_F(CatalogueTest, SharedExecutablesGiveWhatEachServiceReadOnItsOwnGives) {
    fake::FakeVersionInfo shared;
    shared.tables["041104B0"] = {{"CompanyName", "共有"}};
    machine.files.AddFile("C:\\WINDOWS\\system32\\host.exe", FakeFile{shared, std::string("host-icon")});
    machine.files.AddFile("C:\\own\\a.exe", FakeFile{std::nullopt, std::string("a-icon")});
    const char* images[] = {"%SystemRoot%\\system32\\host.exe -k one", "\"C:\\WINDOWS\\system32\\host.exe\" -k two",
                            "system32\\host -k three", "C:\\own\\a.exe", "C:\\missing\\b.exe", "\\SystemRoot\\x.sys"};
    for (int i = 0; i < 60; ++i)
        machine.AddService("S" + std::to_string(100 + i), "名前" + std::to_string(i % 7), images[i % 6],
                           i % 3 == 0 ? kServiceRunning : kServiceStopped);
    machine.registry.SetString(FakeMachine::ServiceKey("S105"), "Type", "16");  // listed with an error

    Build();
    // The plain way: each service on its own, its icon appended, then sorted with its icons.
    std::vector<ServiceReadError> errors;
    std::array<std::vector<std::string>, 3> items;
    std::array<std::unique_ptr<IImageList>, 3> icons;
    for (auto& list : icons) list = machine.shell.CreateImageList(32, 32);
    for (const auto& service : machine.services.services) {
        const ServiceEntry entry = ReadListedService(system, service.name, errors);
        IconHandle icon;
        LoadServiceIcon(system, entry, icon);
        const ServiceTab tab = TabOfState(service.currentState);
        icons[tab]->AddIcon(icon ? icon.get() : defaultIcon.get());
        items[tab].push_back(MakeServiceItem(entry));
    }
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) {
        SortStateList(items[tab], *icons[tab]);
        EXPECT_EQ(catalogue.List(tab).items, items[tab]);
        EXPECT_EQ(Pictures(catalogue.List(tab)), static_cast<const FakeImageList&>(*icons[tab]).Pictures());
    }
    EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
}  // namespace rondel
