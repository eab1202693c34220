// The Service Control Manager side of the seam, against Wine's own manager and the test service.
// Where Wine differs from what Windows documents, the test says so: those are the behaviours
// the catalogue and the commands must survive.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "TestService.h"
#include "catalogue/ServiceDetails.h"
#include "control/ServiceState.h"
#include "control/StartType.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel::platform;
using rondel::fixtures::ServiceBatch;
using rondel::fixtures::ServiceDefinition;
using rondel::fixtures::TestService;

constexpr uint32_t kWineBatchSize = 9216;

class Manager {
public:
    Manager() {
        uint32_t error = 0;
        handle_ = scm_.OpenManager(kScManagerAllAccess, error);
        EXPECT_EQ(error, 0u);
    }
    Win32ServiceControlManager& Scm() { return scm_; }
    RawHandle Handle() const { return handle_.get(); }

    ServiceHandle Open(const std::string& name, uint32_t access, uint32_t& error) {
        return scm_.OpenServiceByName(handle_.get(), name, access, error);
    }

    // Every Win32 service in the given state class, name -> record, each name counted.
    std::map<std::string, std::vector<ServiceStatusRecord>> All(uint32_t state, uint32_t& error) {
        uint32_t resume = 0;
        ServiceEnumeration e = scm_.EnumerateServices(handle_.get(), kServiceWin32, state, 0, resume);
        if (e.error == kErrorMoreData) {
            resume = 0;
            e = scm_.EnumerateServices(handle_.get(), kServiceWin32, state, e.bytesNeeded + 1024, resume);
        }
        error = e.error;
        std::map<std::string, std::vector<ServiceStatusRecord>> byName;
        for (auto& r : e.records) byName[r.serviceName.value_or("(null)")].push_back(r);
        return byName;
    }

private:
    Win32ServiceControlManager scm_;
    ServiceHandle handle_;
};

ServiceStatus StatusOf(Manager& manager, const std::string& name) {
    uint32_t error = 0;
    ServiceHandle service = manager.Open(name, kServiceQueryStatus, error);
    ServiceStatus status;
    EXPECT_EQ(manager.Scm().QueryStatus(service.get(), status), 0u) << name;
    return status;
}

uint32_t ControlOf(Manager& manager, const std::string& name, uint32_t control) {
    uint32_t error = 0;
    // Wine checks the rights a handle was opened with: interrogate needs its own.
    ServiceHandle service = manager.Open(name, kServiceStop | kServicePauseContinue | SERVICE_INTERROGATE, error);
    ServiceStatus status;
    return manager.Scm().Control(service.get(), control, status);
}

// Samples a service's state until it is `state`; the samples seen meanwhile are collected.
bool SawState(Manager& manager, const std::string& name, uint32_t state, DWORD timeoutMs,
              std::vector<ServiceStatus>* samples = nullptr) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        const ServiceStatus s = StatusOf(manager, name);
        if (samples) samples->push_back(s);
        if (s.currentState == state) return true;
        Sleep(20);
    }
    return false;
}

TEST(Win32Services, EnumerationListsEachServiceOnceWithItsState) {
    TestService running(ServiceDefinition("RondelT_EnumRun").Display("列挙試験（開始）"));
    TestService paused(ServiceDefinition("RondelT_EnumPause").Display("列挙試験（一時停止）"));
    TestService stopped(ServiceDefinition("RondelT_EnumStop").Display("列挙試験（停止）").Arguments("--no-pause"));
    ASSERT_EQ(running.CreateError(), 0u);
    ASSERT_EQ(paused.CreateError(), 0u);
    ASSERT_EQ(stopped.CreateError(), 0u);
    ASSERT_EQ(running.StartAndWait(), 0u);
    ASSERT_EQ(paused.StartAndWait(), 0u);
    ASSERT_EQ(paused.PauseAndWait(), 0u);

    Manager manager;
    uint32_t error = 1;
    auto all = manager.All(kServiceStateAll, error);
    EXPECT_EQ(error, 0u);
    ASSERT_EQ(all["RondelT_EnumRun"].size(), 1u);
    ASSERT_EQ(all["RondelT_EnumPause"].size(), 1u);
    ASSERT_EQ(all["RondelT_EnumStop"].size(), 1u);
    EXPECT_EQ(all["RondelT_EnumRun"][0].status.currentState, kServiceRunning);
    EXPECT_EQ(all["RondelT_EnumRun"][0].displayName, "列挙試験（開始）");
    EXPECT_EQ(all["RondelT_EnumRun"][0].status.controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);
    EXPECT_EQ(all["RondelT_EnumRun"][0].status.serviceType, kServiceWin32OwnProcess);
    EXPECT_EQ(all["RondelT_EnumPause"][0].status.currentState, kServicePaused);
    EXPECT_EQ(all["RondelT_EnumStop"][0].status.currentState, kServiceStopped);
    EXPECT_EQ(all["RondelT_EnumStop"][0].displayName, "列挙試験（停止）");
    // Wine's own services share the machine; none has a null name in a complete answer.
    EXPECT_EQ(all.count("(null)"), 0u);
    EXPECT_GT(all.size(), 3u);

    // The state filters: active is running and paused, inactive is stopped.
    auto active = manager.All(kServiceActive, error);
    EXPECT_EQ(active.count("RondelT_EnumRun"), 1u);
    EXPECT_EQ(active.count("RondelT_EnumPause"), 1u);
    EXPECT_EQ(active.count("RondelT_EnumStop"), 0u);
    auto inactive = manager.All(kServiceInactive, error);
    EXPECT_EQ(inactive.count("RondelT_EnumStop"), 1u);
    EXPECT_EQ(inactive.count("RondelT_EnumRun"), 0u);
}

// Wine 8, more services than one 9216-byte batch holds: ERROR_MORE_DATA, a count of records
// whose names are all null, and a resume handle that never moves, so repeating the request makes no progress. One request with the size it
// reports as needed returns every service. (The buffer must be zero-filled: with other bytes in
// it, Wine's EnumServicesStatusA faults reading them.)
TEST(WineBehaviour, SmallServiceBatchesMakeNoProgressButTheNeededSizeGetsAll) {
    TestService paused(ServiceDefinition("RondelT_ManyPaused"));
    ASSERT_EQ(paused.CreateError(), 0u);
    ASSERT_EQ(paused.StartAndWait(), 0u);
    ASSERT_EQ(paused.PauseAndWait(), 0u);
    ServiceBatch batch("RondelT_Bulk", 250);
    ASSERT_EQ(batch.CreateError(), 0u);

    Manager manager;
    uint32_t resume = 0;
    ServiceEnumeration first = manager.Scm().EnumerateServices(manager.Handle(), kServiceWin32, kServiceStateAll,
                                                               kWineBatchSize, resume);
    EXPECT_EQ(first.error, kErrorMoreData);
    EXPECT_EQ(resume, 0u);
    EXPECT_GT(first.bytesNeeded, kWineBatchSize);
    EXPECT_FALSE(first.records.empty());
    EXPECT_LE(first.records.size(), kWineBatchSize / sizeof(ENUM_SERVICE_STATUSA));
    for (const auto& r : first.records) {
        EXPECT_FALSE(r.serviceName.has_value());
        EXPECT_FALSE(r.displayName.has_value());
    }
    ServiceEnumeration again = manager.Scm().EnumerateServices(manager.Handle(), kServiceWin32, kServiceStateAll,
                                                               kWineBatchSize, resume);
    EXPECT_EQ(again.error, kErrorMoreData);
    EXPECT_EQ(resume, 0u);
    EXPECT_EQ(again.bytesNeeded, first.bytesNeeded);

    ServiceEnumeration whole = manager.Scm().EnumerateServices(manager.Handle(), kServiceWin32, kServiceStateAll,
                                                               first.bytesNeeded, resume);
    EXPECT_EQ(whole.error, 0u);
    std::map<std::string, int> seen;
    for (const auto& r : whole.records) ++seen[r.serviceName.value_or("(null)")];
    for (const auto& name : batch.Names()) EXPECT_EQ(seen[name], 1) << name;
    EXPECT_EQ(seen["RondelT_ManyPaused"], 1);
    EXPECT_EQ(seen.count("(null)"), 0u);
    for (const auto& r : whole.records) {
        if (r.serviceName == "RondelT_ManyPaused") {
            EXPECT_EQ(r.status.currentState, kServicePaused);
        }
    }
}

TEST(Win32Services, RequestsAndTheErrorsOfRefusedOnes) {
    TestService plain(ServiceDefinition("RondelT_Controls"));
    TestService stubborn(ServiceDefinition("RondelT_NoStop").Arguments("--no-stop --no-pause"));
    ASSERT_EQ(plain.CreateError(), 0u);
    ASSERT_EQ(stubborn.CreateError(), 0u);
    Manager manager;
    uint32_t error = 0;

    {
        ServiceHandle service = manager.Open("RondelT_Controls", kServiceStart, error);
        ASSERT_EQ(error, 0u);
        EXPECT_EQ(manager.Scm().Start(service.get()), 0u);
        EXPECT_TRUE(plain.WaitForState(SERVICE_RUNNING));
        EXPECT_EQ(manager.Scm().Start(service.get()), kErrorServiceAlreadyRunning);
    }
    EXPECT_EQ(ControlOf(manager, "RondelT_Controls", kServiceControlPause), 0u);
    EXPECT_TRUE(plain.WaitForState(SERVICE_PAUSED));
    EXPECT_EQ(ControlOf(manager, "RondelT_Controls", kServiceControlContinue), 0u);
    EXPECT_TRUE(plain.WaitForState(SERVICE_RUNNING));
    EXPECT_EQ(ControlOf(manager, "RondelT_Controls", kServiceControlInterrogate), 0u);
    {
        ServiceHandle service = manager.Open("RondelT_Controls", kServiceStop, error);
        ServiceStatus status;
        EXPECT_EQ(manager.Scm().Control(service.get(), kServiceControlStop, status), 0u);
        // Wine answers with the status from before the service acted on the request.
        EXPECT_EQ(status.currentState, kServiceRunning);
        EXPECT_EQ(status.serviceType, kServiceWin32OwnProcess);
    }
    EXPECT_TRUE(plain.WaitForState(SERVICE_STOPPED));
    EXPECT_EQ(ControlOf(manager, "RondelT_Controls", kServiceControlStop), kErrorServiceNotActive);
    EXPECT_EQ(ControlOf(manager, "RondelT_Controls", kServiceControlPause), kErrorServiceNotActive);

    // Controls a service does not accept.
    ASSERT_EQ(stubborn.StartAndWait(), 0u);
    EXPECT_EQ(StatusOf(manager, "RondelT_NoStop").controlsAccepted, 0u);
    EXPECT_EQ(ControlOf(manager, "RondelT_NoStop", kServiceControlStop), kErrorInvalidServiceControl);
    EXPECT_EQ(ControlOf(manager, "RondelT_NoStop", kServiceControlPause), kErrorInvalidServiceControl);
    EXPECT_EQ(StatusOf(manager, "RondelT_NoStop").currentState, kServiceRunning);

    // Rights are checked: a handle opened for status queries neither starts nor stops.
    {
        ServiceHandle service = manager.Open("RondelT_Controls", kServiceQueryStatus, error);
        ServiceStatus ignored;
        EXPECT_EQ(manager.Scm().Start(service.get()), kErrorAccessDenied);
        EXPECT_EQ(manager.Scm().Control(service.get(), kServiceControlStop, ignored), kErrorAccessDenied);
    }

    // A missing service, and requests on a null handle.
    EXPECT_FALSE(manager.Open("RondelT_NoSuchService", kServiceStart, error));
    EXPECT_EQ(error, kErrorServiceDoesNotExist);
    ServiceStatus status;
    EXPECT_EQ(manager.Scm().Start(0), kErrorInvalidHandle);
    EXPECT_EQ(manager.Scm().Control(0, kServiceControlStop, status), kErrorInvalidHandle);
    EXPECT_EQ(manager.Scm().QueryStatus(0, status), kErrorInvalidHandle);
}

TEST(Win32Services, PendingStatesAreReportedWithRisingCheckPoints) {
    TestService slow(ServiceDefinition("RondelT_Slow")
                         .Arguments("--linger-start=1200 --linger-pause=800 --linger-continue=800 --linger-stop=800"));
    ASSERT_EQ(slow.CreateError(), 0u);
    Manager manager;

    ASSERT_EQ(slow.Start(), 0u);
    std::vector<ServiceStatus> samples;
    ASSERT_TRUE(SawState(manager, "RondelT_Slow", kServiceRunning, 5000, &samples));
    ASSERT_GE(samples.size(), 3u);
    EXPECT_EQ(samples.front().currentState, kServiceStartPending);
    EXPECT_EQ(samples.front().controlsAccepted, 0u);
    EXPECT_GT(samples.front().waitHint, 0u);
    EXPECT_LT(samples.front().checkPoint, samples[samples.size() - 2].checkPoint);

    // The test service's handler only passes a control on: its pending state follows a moment
    // after the control is taken, and lasts 800 ms.
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlPause), 0u);
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServicePausePending, 400));
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServicePaused, 5000));
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlContinue), 0u);
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceContinuePending, 400));
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceRunning, 5000));

    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlStop), 0u);
    ASSERT_TRUE(SawState(manager, "RondelT_Slow", kServiceStopPending, 400));
    // Any control while stop-pending: 1061.
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlInterrogate), kErrorServiceCannotAcceptCtrl);
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlStop), kErrorServiceCannotAcceptCtrl);
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceStopped, 5000));

    // While start-pending the service accepts nothing: stop 1052; pause 1061 on Wine.
    ASSERT_EQ(slow.Start(), 0u);
    EXPECT_EQ(StatusOf(manager, "RondelT_Slow").currentState, kServiceStartPending);
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlStop), kErrorInvalidServiceControl);
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlPause), kErrorServiceCannotAcceptCtrl);
    // A stop while pause-pending cuts the pause short.
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceRunning, 5000));
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlPause), 0u);
    EXPECT_EQ(ControlOf(manager, "RondelT_Slow", kServiceControlStop), 0u);
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceStopPending, 2000));
    EXPECT_TRUE(SawState(manager, "RondelT_Slow", kServiceStopped, 5000));
}

// The prefix sets ServicesPipeTimeout to 3000 ms; without it the wait is Windows' 30 s (Wine:
// 10 s). The manager ends the process it started.
TEST(Win32Services, AServiceThatNeverReachesItsDispatcherFailsToStart) {
    TestService silent(ServiceDefinition("RondelT_Silent").Arguments("--no-dispatcher"));
    ASSERT_EQ(silent.CreateError(), 0u);
    Manager manager;
    uint32_t error = 0;
    ServiceHandle service = manager.Open("RondelT_Silent", kServiceStart, error);
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(manager.Scm().Start(service.get()), kErrorServiceRequestTimeout);
    const ULONGLONG elapsed = GetTickCount64() - started;
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 9000u);
    const ServiceStatus status = StatusOf(manager, "RondelT_Silent");
    EXPECT_EQ(status.currentState, kServiceStopped);
    EXPECT_EQ(status.win32ExitCode, static_cast<uint32_t>(ERROR_SERVICE_NEVER_STARTED));
    EXPECT_EQ(silent.Status().dwProcessId, 0u);
}

// The test service answers pause with 1061 under --refuse-pause. Windows hands a control
// handler's error on to the caller; Wine 8 does not: the request succeeds and the service
// simply stays running. The same for a user-defined control the handler does not know.
TEST(WineBehaviour, AControlHandlersRefusalIsNotPassedOn) {
    TestService refusing(ServiceDefinition("RondelT_Refuse").Arguments("--refuse-pause"));
    ASSERT_EQ(refusing.CreateError(), 0u);
    ASSERT_EQ(refusing.StartAndWait(), 0u);
    Manager manager;
    EXPECT_EQ(StatusOf(manager, "RondelT_Refuse").controlsAccepted, kServiceAcceptStop | kServiceAcceptPauseContinue);
    EXPECT_EQ(ControlOf(manager, "RondelT_Refuse", kServiceControlPause), 0u);
    EXPECT_FALSE(SawState(manager, "RondelT_Refuse", kServicePaused, 500));
    EXPECT_EQ(StatusOf(manager, "RondelT_Refuse").currentState, kServiceRunning);
    {
        uint32_t error = 0;
        ServiceHandle service = manager.Open("RondelT_Refuse", SERVICE_USER_DEFINED_CONTROL, error);
        ServiceStatus status;
        EXPECT_EQ(manager.Scm().Control(service.get(), 200, status), 0u);
    }
    EXPECT_EQ(StatusOf(manager, "RondelT_Refuse").currentState, kServiceRunning);
}

// Wine 8 keeps no dependents: the enumeration is empty, a start does not start what the service
// depends on, and a stop is not refused for running dependents (1051 never comes). Its
// CreateServiceA stores the dependency list wrongly (the support sets it with
// ChangeServiceConfigA, which stores it whole).
TEST(Win32Services, DependenciesAreStoredButNotFollowed) {
    TestService base(ServiceDefinition("RondelT_DepBase"));
    TestService other(ServiceDefinition("RondelT_DepOther"));
    TestService dependent(ServiceDefinition("RondelT_DepTop").DependsOn({"RondelT_DepBase", "RondelT_DepOther"}));
    ASSERT_EQ(base.CreateError(), 0u);
    ASSERT_EQ(dependent.CreateError(), 0u);
    Manager manager;

    ASSERT_EQ(dependent.StartAndWait(), 0u);
    EXPECT_EQ(StatusOf(manager, "RondelT_DepBase").currentState, kServiceStopped);
    ASSERT_EQ(base.StartAndWait(), 0u);

    uint32_t error = 0;
    ServiceHandle service = manager.Open("RondelT_DepBase", kServiceEnumerateDependents, error);
    ServiceEnumeration dependents = manager.Scm().EnumerateDependents(service.get(), kServiceStateAll, 4096);
    EXPECT_EQ(dependents.error, 0u);
    EXPECT_TRUE(dependents.records.empty());

    EXPECT_EQ(ControlOf(manager, "RondelT_DepBase", kServiceControlStop), 0u);
    EXPECT_TRUE(base.WaitForState(SERVICE_STOPPED));
    EXPECT_EQ(StatusOf(manager, "RondelT_DepTop").currentState, kServiceRunning);

    // The manager wrote the dependency where the program reads it.
    Win32Registry registry;
    RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, rondel::fixtures::ServiceKeyPath("RondelT_DepTop"),
                                             kKeyRead, error);
    RegistryData data;
    ASSERT_EQ(registry.QueryValue(key.get(), "DependOnService", data), 0u);
    EXPECT_EQ(data.type, kRegMultiSz);
    const std::string expected("RondelT_DepBase\0RondelT_DepOther\0\0", 34);
    EXPECT_EQ(std::string(data.bytes.begin(), data.bytes.end()), expected);

    // The fault itself: a second name is lost, and bytes follow that nobody wrote.
    SC_HANDLE raw = CreateServiceA(reinterpret_cast<SC_HANDLE>(manager.Handle()), "RondelT_DepRaw", "RondelT_DepRaw",
                                   SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                   SERVICE_ERROR_IGNORE, "x.exe", nullptr, nullptr, "RondelT_DepBase\0RondelT_DepOther\0",
                                   nullptr, nullptr);
    ASSERT_NE(raw, nullptr);
    key = registry.OpenKey(kHkeyLocalMachine, rondel::fixtures::ServiceKeyPath("RondelT_DepRaw"), kKeyRead, error);
    ASSERT_EQ(registry.QueryValue(key.get(), "DependOnService", data), 0u);
    key.reset();
    DeleteService(raw);
    CloseServiceHandle(raw);
    EXPECT_NE(std::string(data.bytes.begin(), data.bytes.end()), expected);
    EXPECT_EQ(std::string(data.bytes.begin(), data.bytes.end()).find("RondelT_DepOther"), std::string::npos);
}

// The manager stores a new start type in the service's key, where the details panel reads it,
// and disabling a running service leaves it running.
TEST(Win32Services, ChangingTheStartTypeReachesTheManagerAndTheRegistry) {
    TestService idle(ServiceDefinition("RondelT_StartIdle"));
    TestService busy(ServiceDefinition("RondelT_StartBusy"));
    ASSERT_EQ(idle.CreateError(), 0u);
    ASSERT_EQ(busy.CreateError(), 0u);
    ASSERT_EQ(busy.StartAndWait(), 0u);
    Manager manager;
    uint32_t error = 0;
    ServiceHandle service = manager.Open("RondelT_StartIdle", kServiceQueryStatus, error);
    EXPECT_EQ(manager.Scm().ChangeStartType(service.get(), kServiceDisabled), kErrorAccessDenied);
    service = manager.Open("RondelT_StartIdle", kServiceChangeConfig | SERVICE_QUERY_CONFIG, error);
    ASSERT_EQ(manager.Scm().ChangeStartType(service.get(), kServiceDisabled), 0u);
    DWORD needed = 0;
    const auto handle = reinterpret_cast<SC_HANDLE>(service.get());
    QueryServiceConfigA(handle, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    const auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    ASSERT_TRUE(QueryServiceConfigA(handle, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()), needed, &needed));
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(config->dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS)) << "the rest is unchanged";
    EXPECT_EQ(std::string(config->lpBinaryPathName), idle.Definition().imagePath);
    EXPECT_EQ(idle.Start(), static_cast<DWORD>(ERROR_SERVICE_DISABLED));

    rondel::platform::Win32Platform machine;
    Platform system = machine.View();
    EXPECT_EQ(rondel::ReadServiceRegistryDetails(system, "RondelT_StartIdle").startValue, kServiceDisabled);
    EXPECT_EQ(rondel::ChangeStartType(system, "RondelT_StartBusy", kServiceDisabled), 0u);
    EXPECT_EQ(rondel::ReadServiceRegistryDetails(system, "RondelT_StartBusy").startValue, kServiceDisabled);
    EXPECT_EQ(rondel::QueryCurrentStatus(system, "RondelT_StartBusy").currentState, kServiceRunning);
    EXPECT_EQ(rondel::ChangeStartType(system, "RondelT_StartBusy", 7), kErrorInvalidParameter);
    EXPECT_EQ(rondel::ChangeStartType(system, "RondelT_StartBusy", kServiceAutoStart), 0u);
    EXPECT_EQ(rondel::ReadServiceRegistryDetails(system, "RondelT_StartBusy").startValue, kServiceAutoStart);
    EXPECT_EQ(busy.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// The support's clean-up: whatever state a test leaves a service in, it is gone afterwards,
// and in bounded time.
TEST(Win32Services, TestServicesAreRemovedWhateverTheirState) {
    Manager manager;
    const ULONGLONG started = GetTickCount64();
    {
        TestService stubborn(ServiceDefinition("RondelT_GoneNoStop").Arguments("--no-stop"));
        TestService pending(ServiceDefinition("RondelT_GonePending").Arguments("--linger-start=1500"));
        TestService paused(ServiceDefinition("RondelT_GonePaused"));
        ASSERT_EQ(stubborn.StartAndWait(), 0u);
        ASSERT_EQ(pending.Start(), 0u);
        ASSERT_EQ(paused.StartAndWait(), 0u);
        ASSERT_EQ(paused.PauseAndWait(), 0u);
        // Refused here, so the clean-up has to use the test service's exit control.
        EXPECT_EQ(ControlOf(manager, "RondelT_GoneNoStop", kServiceControlStop), kErrorInvalidServiceControl);
    }
    EXPECT_LT(GetTickCount64() - started, 10000u);
    for (const char* name : {"RondelT_GoneNoStop", "RondelT_GonePending", "RondelT_GonePaused"}) {
        uint32_t error = 0;
        EXPECT_FALSE(manager.Open(name, kServiceQueryStatus, error)) << name;
        EXPECT_EQ(error, kErrorServiceDoesNotExist) << name;
    }
}

}  // namespace
