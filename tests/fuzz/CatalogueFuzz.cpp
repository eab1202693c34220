// The catalogue built from a machine the input describes (see FuzzSupport.h for the format):
//   service<TAB>name<TAB>state<TAB>type<TAB>display name<TAB>image path   as CreateService makes it
//   many<TAB>count<TAB>name<TAB>state<TAB>type<TAB>display name<TAB>image path   numbered services
//   value<TAB>service<TAB>value name<TAB>registry type<TAB>bytes           any value of its key
//   nokey<TAB>service          limit<TAB>service<TAB>rights               the key gone or guarded
//   file<TAB>path<TAB>company<TAB>description<TAB>icon                    an executable
//   indirect<TAB>@reference<TAB>text                                      a resolvable string
//   paging<TAB>wine            fail<TAB>batches<TAB>error                 how the manager answers
// After the build: every list has one image per item, every item five TAB-terminated fields,
// each list is in its sorted order, every service is listed once in the tab of its state,
// exactly as reading each service on its own gives it, and no handle or icon is left open.
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"

namespace {

using namespace rondel;
using fake::FakeFile;
using fake::FakeImageList;
using fake::FakeMachine;

constexpr std::size_t kMostServices = 100;
constexpr ServiceTab kTabs[] = {kRunningTab, kPausedTab, kStoppedTab};

// Executables the image paths of the seeds name.
void AddExecutables(FakeMachine& machine) {
    fake::FakeVersionInfo host;
    host.tables["041104B0"] = {{"CompanyName", "Microsoft Corporation"},
                               {"FileDescription", "サービスのホスト"}};
    machine.files.AddFile("C:\\WINDOWS\\system32\\svchost.exe", FakeFile{host, std::string("svchost")});
    fake::FakeVersionInfo demo;
    demo.tables["041104B0"] = {{"CompanyName", "ロンデル"}, {"FileDescription", "デモ"}};
    machine.files.AddFile("C:\\Program Files\\Rondel Demo\\rondel-demo.exe", FakeFile{demo, std::string("demo")});
    machine.files.AddFile("C:\\Program Files\\Rondel Demo\\rondel-noinfo.exe");
    machine.files.AddFile("C:\\WINDOWS\\system32\\rondeldemo.exe", FakeFile{demo, std::nullopt});
    machine.files.AddFile("C:\\WINDOWS\\System32\\drivers\\rondeldemo.sys", FakeFile{demo, std::nullopt});
}

void Describe(FakeMachine& machine, const uint8_t* data, std::size_t size) {
    for (const auto& d : fuzz::Directives(data, size)) {
        const std::string& word = d[0];
        const std::string key = FakeMachine::ServiceKey(fuzz::FieldOf(d, 1));
        if (word == "service" && machine.services.services.size() < kMostServices) {
            machine.AddService(fuzz::FieldOf(d, 1), fuzz::FieldOf(d, 4), fuzz::FieldOf(d, 5),
                               fuzz::Number(fuzz::FieldOf(d, 2)), fuzz::Number(fuzz::FieldOf(d, 3)));
        } else if (word == "many") {
            const uint32_t count = fuzz::Number(fuzz::FieldOf(d, 1));
            for (uint32_t k = 0; k < count && machine.services.services.size() < kMostServices; ++k) {
                machine.AddService(fuzz::FieldOf(d, 2) + std::to_string(k),
                                   fuzz::FieldOf(d, 5) + std::to_string(k % 7), fuzz::FieldOf(d, 6),
                                   fuzz::Number(fuzz::FieldOf(d, 3)), fuzz::Number(fuzz::FieldOf(d, 4)));
            }
        } else if (word == "value") {
            const std::string bytes = fuzz::FieldOf(d, 4);
            machine.registry.SetValue(key, fuzz::FieldOf(d, 2), fuzz::Number(fuzz::FieldOf(d, 3)),
                                      std::vector<uint8_t>(bytes.begin(), bytes.end()));
        } else if (word == "nokey") {
            machine.registry.DeleteKey(key);
        } else if (word == "limit") {
            machine.registry.LimitAccess(key, fuzz::Number(fuzz::FieldOf(d, 2)));
        } else if (word == "file") {
            fake::FakeVersionInfo version;
            version.tables["041104B0"] = {{"CompanyName", fuzz::FieldOf(d, 2)},
                                          {"FileDescription", fuzz::FieldOf(d, 3)}};
            FakeFile file{version, std::nullopt};
            if (!fuzz::FieldOf(d, 4).empty()) file.icon = fuzz::FieldOf(d, 4);
            machine.files.AddFile(fuzz::FieldOf(d, 1), file);
        } else if (word == "indirect") {
            machine.shell.indirectStrings[fuzz::FieldOf(d, 1)] = fuzz::FieldOf(d, 2);
        } else if (word == "paging") {
            machine.services.wineStylePaging = true;
        } else if (word == "fail") {
            machine.services.failAfterBatches = static_cast<int>(fuzz::Number(fuzz::FieldOf(d, 1)) % 16);
            // An error of 0 would be a success without records: no failure at all.
            const uint32_t error = fuzz::Number(fuzz::FieldOf(d, 2));
            if (error != 0) machine.services.failLaterError = error;
        }
    }
}

const std::vector<std::string>& Pictures(const StateList& list) {
    return static_cast<const FakeImageList&>(*list.images).Pictures();
}

void CheckList(const StateList& list) {
    FUZZ_CHECK(list.images->Count() == static_cast<int>(list.items.size()));
    FUZZ_CHECK(list.entries.size() == list.items.size());
    std::vector<std::string> displayNames;
    for (std::size_t k = 0; k < list.items.size(); ++k) {
        const std::string& item = list.items[k];
        FUZZ_CHECK(std::count(item.begin(), item.end(), '\t') >= 5 && item.back() == '\t');
        // Entry k is item k as it reads back, service type aside.
        ServiceEntry entry;
        SplitServiceItem(item, entry);
        entry.serviceType = list.entries[k].serviceType;
        FUZZ_CHECK(entry == list.entries[k]);
        displayNames.push_back(entry.displayName);
    }
    // In sorted order: the program's own sort leaves the list as it is.
    const std::vector<std::size_t> order = ExchangeSortOrder(displayNames);
    for (std::size_t k = 0; k < order.size(); ++k) FUZZ_CHECK(order[k] == k);
}

// The plain procedure: each listed service read on its own, its icon added, then sorted.
void CheckAgainstPlainReading(FakeMachine& machine, platform::Platform& system, const ServiceCatalogue& catalogue,
                              platform::RawHandle defaultIcon, const BuildResult& result) {
    std::array<std::vector<std::string>, 3> items;
    std::array<std::unique_ptr<platform::IImageList>, 3> images;
    for (auto& list : images) list = machine.shell.CreateImageList(32, 32);
    std::vector<ServiceReadError> errors;
    for (const fake::FakeService& service : machine.services.services) {
        if ((service.serviceType & platform::kServiceWin32) == 0) continue;
        const ServiceEntry entry = ReadListedService(system, service.name, errors);
        platform::IconHandle icon;
        LoadServiceIcon(system, entry, icon);
        const ServiceTab tab = TabOfState(service.currentState);
        images[tab]->AddIcon(icon ? icon.get() : defaultIcon);
        items[tab].push_back(MakeServiceItem(entry));
    }
    FUZZ_CHECK(errors.size() == result.readErrors.size());
    for (const ServiceTab tab : kTabs) {
        SortStateList(items[tab], *images[tab]);
        FUZZ_CHECK(catalogue.List(tab).items == items[tab]);
        FUZZ_CHECK(Pictures(catalogue.List(tab)) == static_cast<const FakeImageList&>(*images[tab]).Pictures());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FakeMachine machine;
    fuzz::ControlledEnvironment(machine.environment);
    AddExecutables(machine);
    Describe(machine, data, size);
    {
        platform::Platform system = machine.Platform();
        const platform::IconHandle defaultIcon = machine.shell.MakeIcon("default");
        ServiceCatalogue catalogue(system);
        const BuildResult result = catalogue.BuildServiceLists(defaultIcon.get());
        FUZZ_CHECK(machine.services.OpenHandles() == 0);
        FUZZ_CHECK(machine.registry.OpenHandles() == 0);
        FUZZ_CHECK(machine.shell.LiveIcons() == 1);
        for (const ServiceTab tab : kTabs) CheckList(catalogue.List(tab));

        std::size_t listed = 0;
        for (const ServiceTab tab : kTabs) listed += catalogue.List(tab).items.size();
        const auto win32 = static_cast<std::size_t>(
            std::count_if(machine.services.services.begin(), machine.services.services.end(),
                          [](const fake::FakeService& s) { return (s.serviceType & platform::kServiceWin32) != 0; }));
        FUZZ_CHECK(result.openError == 0);
        FUZZ_CHECK(result.Complete() ? listed == win32 : listed <= win32);
        if (result.Complete()) CheckAgainstPlainReading(machine, system, catalogue, defaultIcon.get(), result);

        // Emptied and built again, the lists are the same.
        if (!machine.services.failAfterBatches) {
            std::array<std::vector<std::string>, 3> before;
            for (const ServiceTab tab : kTabs) before[tab] = catalogue.List(tab).items;
            catalogue.Clear();
            catalogue.BuildServiceLists(defaultIcon.get());
            for (const ServiceTab tab : kTabs) FUZZ_CHECK(catalogue.List(tab).items == before[tab]);
        }
    }
    FUZZ_CHECK(machine.services.OpenHandles() == 0);
    FUZZ_CHECK(machine.registry.OpenHandles() == 0);
    FUZZ_CHECK(machine.shell.LiveIcons() == 0);
    return 0;
}
