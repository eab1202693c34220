// The service commands, the start type and the details panel's reads, against the in-memory machine.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "FakePlatform.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/RegistryKey.h"
#include "control/ServiceCommands.h"
#include "control/ServiceState.h"
#include "control/StartType.h"

namespace rondel {
namespace {

using fake::FakeMachine;
using namespace platform;
using Names = std::vector<std::string>;
using Sent = std::vector<std::pair<std::string, uint32_t>>;

class ControlTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(machine.services.OpenHandles(), 0);
        EXPECT_EQ(machine.registry.OpenHandles(), 0);
    }
    // Sends a command; what it sent and the handles it closed are recorded from here on.
    uint32_t Send(const std::string& name, ServiceCommand command) {
        machine.services.closedHandles.clear();
        machine.services.controlsSent.clear();
        return ServiceCommandRequest(system, name, command).Send();
    }
    FakeMachine machine;
    Platform system = machine.Platform();
    const std::vector<std::string>& closed = machine.services.closedHandles;
};

// Manager and services grant only what each command needs; the service lands in the command's tab.
TEST_F(ControlTest, EachCommandOpensWithItsRightAndMovesTheServiceToItsTab) {
    const struct {
        ServiceCommand command;
        uint32_t stateBefore, right, control;
    } cases[] = {{ServiceCommand::Start, kServiceStopped, kServiceStart, 0},
                 {ServiceCommand::Stop, kServiceRunning, kServiceStop, kServiceControlStop},
                 {ServiceCommand::Pause, kServiceRunning, kServicePauseContinue, kServiceControlPause},
                 {ServiceCommand::Continue, kServicePaused, kServicePauseContinue, kServiceControlContinue}};
    machine.services.managerGrantedAccess = kScManagerConnect;
    for (const auto& c : cases) {
        const std::string name = "S" + std::to_string(c.control);
        fake::FakeService& service = machine.AddService(name, name, "x", c.stateBefore);
        service.grantedAccess = c.right;
        EXPECT_EQ(Send(name, c.command), 0u) << name;
        EXPECT_EQ(machine.services.controlsSent, (Sent{{name, c.control}}));
        EXPECT_EQ(TabOfState(service.currentState), CommandSpec(c.command).targetTab) << name;
        EXPECT_EQ(closed, (Names{name, "manager"}));
    }
}

TEST_F(ControlTest, RefusedCommandsReportTheSystemsErrorAndItsText) {
    machine.AddService("Base", "Base", "x", kServiceRunning).controlError = kErrorDependentServicesRunning;
    machine.AddService("Mute", "Mute", "x").startError = kErrorServiceRequestTimeout;
    machine.AddService("Slow", "Slow", "x", kServiceRunning).controlError = kErrorServiceRequestTimeout;
    machine.AddService("Busy", "Busy", "x", kServiceRunning).controlError = kErrorServiceCannotAcceptCtrl;
    machine.AddService("Up", "Up", "x", kServiceRunning);
    machine.AddService("Guarded", "Guarded", "x", kServiceRunning).grantedAccess = kServiceQueryStatus;
    const struct {
        const char* name;
        ServiceCommand command;
        uint32_t error;
        std::string text;
    } cases[] = {
        {"Base", ServiceCommand::Stop, 1051, "ほかのサービスがこのサービスに依存しているため\xA4" " サービスを停止できません。"},
        {"Mute", ServiceCommand::Start, 1053, "起動要求にサービスが時間内に応答しません。"},
        {"Slow", ServiceCommand::Stop, 1053, "停止要求にサービスが時間内に応答しません。"},
        {"Slow", ServiceCommand::Pause, 1053, "一時停止要求にサービスが時間内に応答しません。"},
        {"Slow", ServiceCommand::Continue, 1053, "再開要求にサービスが時間内に応答しません。"},
        {"Busy", ServiceCommand::Pause, 1061, "要求された制御コードをサービスに送ることができません。"},
        {"Up", ServiceCommand::Start, 1056, "message 1056（エラー 1056）"},
    };
    for (const auto& c : cases) {
        const uint32_t error = Send(c.name, c.command);
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(ServiceErrorText(error, c.command, machine.environment), c.text) << c.name;
        EXPECT_EQ(closed, (Names{c.name, "manager"}));
    }
    EXPECT_EQ(ServiceErrorText(1051, ServiceCommand::Stop, machine.environment).substr(46, 3), "\xA4" " \x83")
        << "one byte, one ASCII space, then サ";

    // A service that does not open: the open's own error answers, nothing reaches any service.
    for (const auto& [name, error] : {std::pair{"Guarded", kErrorAccessDenied}, {"Missing", kErrorServiceDoesNotExist}}) {
        EXPECT_EQ(Send(name, ServiceCommand::Stop), error) << name;
        EXPECT_EQ(closed, Names{"manager"});
        EXPECT_TRUE(machine.services.controlsSent.empty());
    }
}

TEST(StartType, ItemsAndStoredValuesMapBothWays) {
    const std::pair<int, std::optional<uint32_t>> items[] = {
        {0, 2u}, {1, 3u}, {2, 4u}, {-1, std::nullopt}, {3, std::nullopt}, {INT_MIN, std::nullopt}};
    for (const auto& [item, value] : items) EXPECT_EQ(StartValueOfItem(item), value) << item;
    const std::pair<uint32_t, int> values[] = {{2, 0}, {3, 1}, {4, 2}, {0, 2}, {1, 2}, {5, 2}, {0xFFFFFFFF, 2}};
    for (const auto& [value, item] : values) EXPECT_EQ(ItemOfStartValue(value), item) << value;
}

TEST_F(ControlTest, ChangingTheStartTypeStoresItOrReportsTheRefusal) {
    fake::FakeService& service = machine.AddService("Svc", "Svc", "x", kServiceRunning);
    service.grantedAccess = kServiceChangeConfig;
    machine.services.managerGrantedAccess = kScManagerConnect;
    auto stored = [&] { return machine.registry.Value(FakeMachine::ServiceKey("Svc"), "Start").value(); };
    EXPECT_EQ(ChangeStartType(system, "Svc", kServiceDisabled), 0u);
    EXPECT_EQ(stored().type, kRegDword);
    EXPECT_EQ(stored().bytes, (std::vector<uint8_t>{4, 0, 0, 0}));
    EXPECT_EQ(service.currentState, kServiceRunning);
    EXPECT_EQ(closed, (Names{"Svc", "manager"}));

    const struct {
        const char* name;
        uint32_t value, granted, changeError, managerError, error;
    } refusals[] = {{"Svc", 2, kServiceQueryStatus, 0, 0, kErrorAccessDenied},
                    {"Svc", 2, ~0u, 1072, 0, 1072},
                    {"Svc", 5, ~0u, 0, 0, kErrorInvalidParameter},
                    {"Missing", 2, ~0u, 0, 0, kErrorServiceDoesNotExist},
                    {"Svc", 2, ~0u, 0, kErrorAccessDenied, kErrorAccessDenied}};
    for (const auto& r : refusals) {
        service.grantedAccess = r.granted;
        machine.services.changeConfigError = r.changeError;
        machine.services.openManagerError = r.managerError;
        EXPECT_EQ(ChangeStartType(system, r.name, r.value), r.error) << r.name << " " << r.value;
        EXPECT_EQ(stored().bytes[0], 4) << "unchanged";
    }
}

TEST_F(ControlTest, RegistryDetailsReadWithReadRightsAndRaiseOnBadValues) {
    fake::FakeRegistry& reg = machine.registry;
    machine.shell.indirectStrings["@svc.dll,-7"] = "間接の説明";
    const struct {
        const char* name;
        std::function<void(const std::string& key)> arrange;
        std::string description;
        uint32_t start;
        std::string error;
    } cases[] = {
        {"Plain", [&](auto& k) { reg.SetString(k, "Description", "説明"); }, "説明", 3, ""},
        {"Indirect", [&](auto& k) { reg.SetString(k, "Description", "@svc.dll,-7"); }, "間接の説明", 3, ""},
        {"ReadOnly", [&](auto& k) { reg.LimitAccess(k, kKeyRead); }, "", 3, ""},
        {"Gone", [&](auto& k) { reg.DeleteKey(k); }, "", 0, ""},
        {"DwordText", [&](auto& k) { reg.SetDword(k, "Description", 1); }, "", 0, "'Description' のデータ型が不正です"},
        {"NoStart", [&](auto& k) { reg.DeleteValue(k, "Start"); }, "", 0, "'Start' の取得に失敗しました"},
        {"TextStart", [&](auto& k) { reg.SetString(k, "Start", "2"); }, "", 0, "'Start' のデータ型が不正です"},
    };
    for (const auto& c : cases) {
        machine.AddService(c.name, c.name, "x");
        c.arrange(FakeMachine::ServiceKey(c.name));
        try {
            const ServiceRegistryDetails details = ReadServiceRegistryDetails(system, c.name);
            EXPECT_EQ(details.description + "/" + std::to_string(details.startValue) + c.error,
                      c.description + "/" + std::to_string(c.start)) << c.name;
        } catch (const RegistryError& error) {
            EXPECT_EQ(error.what(), c.error) << c.name;
        }
        EXPECT_EQ(reg.OpenHandles(), 0) << c.name;
    }
}

TEST_F(ControlTest, CurrentStatusOrAllZerosWhenItCannotBeHad) {
    machine.AddService("Run", "Run", "x", kServiceRunning);
    machine.AddService("Guarded", "Guarded", "x", kServiceRunning).grantedAccess = kServiceStart;
    machine.services.managerGrantedAccess = kScManagerConnect | kScManagerEnumerateService;
    EXPECT_EQ(QueryCurrentStatus(system, "Run"),
              (ServiceStatus{kServiceWin32OwnProcess, kServiceRunning, kServiceAcceptStop | kServiceAcceptPauseContinue,
                             0, 0, 0, 0}));
    EXPECT_EQ(closed, (Names{"Run", "manager"}));
    for (const char* name : {"Guarded", "Missing"}) EXPECT_EQ(QueryCurrentStatus(system, name), ServiceStatus{});
    machine.services.managerGrantedAccess = kScManagerConnect;
    EXPECT_EQ(QueryCurrentStatus(system, "Run"), ServiceStatus{});
}

}  // namespace
}  // namespace rondel
