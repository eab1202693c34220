// The raw bytes of a "DependOnService" value: the names are the NUL-terminated pieces of the
// data, none empty; the dependencies window lists each name once (ASCII letters in any case),
// sorted, one image per item, and leaves no handle or icon of the machine open.
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "control/DependencyLookup.h"
#include "text/AnsiText.h"

namespace {

using namespace rondel;
using fake::FakeFile;
using fake::FakeMachine;

// The name a list item shows: the service name up to its first TAB or line break.
std::string ShownName(const std::string& name) { return name.substr(0, name.find_first_of("\t\r\n")); }

void CheckNames(const std::vector<std::string>& names, const std::string& value) {
    std::size_t offset = 0;
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty() && name.find('\0') == std::string::npos);
        FUZZ_CHECK(value.compare(offset, name.size(), name) == 0);
        offset += name.size() + 1;
    }
    FUZZ_CHECK(offset <= value.size() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string value = fuzz::Text(data, size);
    const std::vector<uint8_t> bytes(data, data + size);
    const std::vector<std::string> names = DependOnServiceNames(bytes);
    CheckNames(names, value);

    FakeMachine machine;
    fuzz::ControlledEnvironment(machine.environment);
    machine.files.AddFile("C:\\svc\\a.exe", FakeFile{std::nullopt, std::string("icon-a")});
    machine.AddService("Main", "本体", "C:\\svc\\main.exe", platform::kServiceRunning);
    machine.AddService("Alpha", "A サービス", "C:\\svc\\a.exe", platform::kServiceRunning);
    machine.AddService("Zeta", "Z サービス", "\"C:\\svc\\a.exe\" -k");
    machine.AddService("Disk", "ディスク", "\\SystemRoot\\disk.sys", platform::kServiceRunning,
                       platform::kServiceKernelDriver);
    machine.AddService("Odd", "変", "x");
    machine.registry.SetString(FakeMachine::ServiceKey("Odd"), "Type", "16");
    machine.registry.SetValue(FakeMachine::ServiceKey("Main"), "DependOnService", platform::kRegMultiSz, bytes);

    {
        platform::Platform system = machine.Platform();
        const platform::IconHandle driver = machine.shell.MakeIcon("driver");
        const platform::IconHandle defaultIcon = machine.shell.MakeIcon("default");
        StateList list{{}, {}, machine.shell.CreateImageList(32, 32)};
        std::vector<ServiceReadError> errors;
        ListDependencies(system, "Main", list, {driver.get(), defaultIcon.get()}, errors);

        FUZZ_CHECK(list.images->Count() == static_cast<int>(list.items.size()));
        std::set<std::string> distinct;
        std::set<std::string> shown;
        for (const std::string& name : names) {
            distinct.insert(AsciiLower(name));
            shown.insert(AsciiLower(ShownName(name)));
        }
        FUZZ_CHECK(list.items.size() == distinct.size());
        std::vector<std::string> displayNames;
        for (const ServiceEntry& entry : list.entries) {
            FUZZ_CHECK(shown.count(AsciiLower(entry.serviceName)) == 1);
            displayNames.push_back(entry.displayName);
        }
        const std::vector<std::size_t> order = ExchangeSortOrder(displayNames);
        for (std::size_t k = 0; k < order.size(); ++k) FUZZ_CHECK(order[k] == k);
        FUZZ_CHECK(machine.shell.LiveIcons() == 2);
    }
    FUZZ_CHECK(machine.services.OpenHandles() == 0);
    FUZZ_CHECK(machine.registry.OpenHandles() == 0);
    FUZZ_CHECK(machine.shell.LiveIcons() == 0);
    return 0;
}
