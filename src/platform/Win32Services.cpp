#include "platform/Win32Platform.h"

#include <windows.h>
#include <winsvc.h>

#include <algorithm>
#include <vector>

#include "platform/Win32Casts.h"
#include "platform/Win32Handles.h"

namespace rondel::platform {

namespace {

ServiceEnumeration ReadEnumeration(BOOL ok, const std::vector<BYTE>& buffer, DWORD needed, DWORD returned) {
    ServiceEnumeration result;
    result.error = ok ? 0 : ::GetLastError();
    result.bytesNeeded = needed;
    const std::size_t fits = buffer.size() / sizeof(ENUM_SERVICE_STATUSA);
    const std::size_t count = std::min<std::size_t>(returned, fits);
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (std::size_t i = 0; i < count; ++i) {
        const auto& r = records[i];
        const auto& s = r.ServiceStatus;
        result.records.push_back({StringInBuffer(r.lpServiceName, buffer.data(), buffer.size()),
                                  StringInBuffer(r.lpDisplayName, buffer.data(), buffer.size()),
                                  {s.dwServiceType, s.dwCurrentState, s.dwControlsAccepted, s.dwWin32ExitCode,
                                   s.dwServiceSpecificExitCode, s.dwCheckPoint, s.dwWaitHint}});
    }
    return result;
}


void CopyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
    to = {from.dwServiceType, from.dwCurrentState, from.dwControlsAccepted, from.dwWin32ExitCode,
          from.dwServiceSpecificExitCode, from.dwCheckPoint, from.dwWaitHint};
}

}  // namespace

ServiceHandle Win32ServiceControlManager::OpenManager(uint32_t access, uint32_t& error) {
    SC_HANDLE h = ::OpenSCManagerA(nullptr, nullptr, access);
    error = h ? 0 : ::GetLastError();
    return ServiceHandle(*this, Raw(h));
}

ServiceHandle Win32ServiceControlManager::OpenServiceByName(RawHandle manager, const std::string& serviceName,
                                                      uint32_t access, uint32_t& error) {
    SC_HANDLE h = ::OpenServiceA(As<SC_HANDLE>(manager), serviceName.c_str(), access);
    error = h ? 0 : ::GetLastError();
    return ServiceHandle(*this, Raw(h));
}

ServiceEnumeration Win32ServiceControlManager::EnumerateServices(RawHandle manager, uint32_t serviceType,
                                                                  uint32_t serviceState, uint32_t bufferSize,
                                                                  uint32_t& resumeHandle) {
    std::vector<BYTE> buffer(bufferSize, 0);
    DWORD needed = 0;
    DWORD returned = 0;
    DWORD resume = resumeHandle;
    const BOOL ok = ::EnumServicesStatusA(As<SC_HANDLE>(manager), serviceType, serviceState,
                                          reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()), bufferSize,
                                          &needed, &returned, &resume);
    auto result = ReadEnumeration(ok, buffer, needed, returned);
    resumeHandle = resume;
    return result;
}

ServiceEnumeration Win32ServiceControlManager::EnumerateDependents(RawHandle service, uint32_t serviceState,
                                                                     uint32_t bufferSize) {
    std::vector<BYTE> buffer(bufferSize, 0);
    DWORD needed = 0;
    DWORD returned = 0;
    const BOOL ok = ::EnumDependentServicesA(As<SC_HANDLE>(service), serviceState,
                                             reinterpret_cast<LPENUM_SERVICE_STATUSA>(buffer.data()), bufferSize,
                                             &needed, &returned);
    return ReadEnumeration(ok, buffer, needed, returned);
}

uint32_t Win32ServiceControlManager::QueryStatus(RawHandle service, ServiceStatus& status) {
    SERVICE_STATUS_PROCESS s{};
    DWORD needed = 0;
    const BOOL ok = ::QueryServiceStatusEx(As<SC_HANDLE>(service), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&s),
                                           sizeof s, &needed);
    const uint32_t error = LastErrorUnless(ok);
    status = ServiceStatus{s.dwServiceType, s.dwCurrentState, s.dwControlsAccepted, s.dwWin32ExitCode,
                           s.dwServiceSpecificExitCode, s.dwCheckPoint, s.dwWaitHint, s.dwProcessId};
    return error;
}

uint32_t Win32ServiceControlManager::Start(RawHandle service) {
    return LastErrorUnless(::StartServiceA(As<SC_HANDLE>(service), 0, nullptr));
}

uint32_t Win32ServiceControlManager::Control(RawHandle service, uint32_t control, ServiceStatus& status) {
    SERVICE_STATUS s{};
    const BOOL ok = ::ControlService(As<SC_HANDLE>(service), control, &s);
    const uint32_t error = LastErrorUnless(ok);
    CopyStatus(s, status);
    return error;
}

uint32_t Win32ServiceControlManager::ChangeStartType(RawHandle service, uint32_t startType) {
    return LastErrorUnless(::ChangeServiceConfigA(As<SC_HANDLE>(service), SERVICE_NO_CHANGE, startType,
                                                  SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr));
}

void Win32ServiceControlManager::CloseHandle(RawHandle handle) noexcept {
    unique_schandle(As<SC_HANDLE>(handle));
}

}  // namespace rondel::platform
