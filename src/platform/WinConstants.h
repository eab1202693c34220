// The Windows values that Rondel's logic uses, for code that does not include <windows.h>.
// The Win32 implementation checks them against the real headers at compile time.
#pragma once

#include <cstdint>

namespace rondel::platform {

// Error codes (GetLastError / LSTATUS).
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorDependentServicesRunning = 1051;
inline constexpr uint32_t kErrorInvalidServiceControl = 1052;
inline constexpr uint32_t kErrorServiceRequestTimeout = 1053;
inline constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
inline constexpr uint32_t kErrorServiceDoesNotExist = 1060;
inline constexpr uint32_t kErrorServiceCannotAcceptCtrl = 1061;
inline constexpr uint32_t kErrorServiceNotActive = 1062;
inline constexpr uint32_t kErrorServiceSpecificError = 1066;
inline constexpr uint32_t kErrorResourceTypeNotFound = 1813;

// Service types.
inline constexpr uint32_t kServiceKernelDriver = 0x01;
inline constexpr uint32_t kServiceFileSystemDriver = 0x02;
inline constexpr uint32_t kServiceRecognizerDriver = 0x08;
inline constexpr uint32_t kServiceDriver = 0x0B;
inline constexpr uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr uint32_t kServiceWin32ShareProcess = 0x20;
inline constexpr uint32_t kServiceWin32 = 0x30;

// Service state filters and states.
inline constexpr uint32_t kServiceActive = 1;
inline constexpr uint32_t kServiceInactive = 2;
inline constexpr uint32_t kServiceStateAll = 3;
inline constexpr uint32_t kServiceStopped = 1;
inline constexpr uint32_t kServiceStartPending = 2;
inline constexpr uint32_t kServiceStopPending = 3;
inline constexpr uint32_t kServiceRunning = 4;
inline constexpr uint32_t kServiceContinuePending = 5;
inline constexpr uint32_t kServicePausePending = 6;
inline constexpr uint32_t kServicePaused = 7;

// Controls and the controls a service accepts.
inline constexpr uint32_t kServiceControlStop = 1;
inline constexpr uint32_t kServiceControlPause = 2;
inline constexpr uint32_t kServiceControlContinue = 3;
inline constexpr uint32_t kServiceControlInterrogate = 4;
inline constexpr uint32_t kServiceAcceptStop = 1;
inline constexpr uint32_t kServiceAcceptPauseContinue = 2;

// Start types ("Start" of a service's key) and "leave this setting as it is".
inline constexpr uint32_t kServiceBootStart = 0;
inline constexpr uint32_t kServiceSystemStart = 1;
inline constexpr uint32_t kServiceAutoStart = 2;
inline constexpr uint32_t kServiceDemandStart = 3;
inline constexpr uint32_t kServiceDisabled = 4;
inline constexpr uint32_t kServiceNoChange = 0xFFFFFFFF;

// Access rights.
inline constexpr uint32_t kScManagerConnect = 0x0001;
inline constexpr uint32_t kScManagerEnumerateService = 0x0004;
inline constexpr uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr uint32_t kServiceChangeConfig = 0x0002;
inline constexpr uint32_t kServiceQueryStatus = 0x0004;
inline constexpr uint32_t kServiceEnumerateDependents = 0x0008;
inline constexpr uint32_t kServiceStart = 0x0010;
inline constexpr uint32_t kServiceStop = 0x0020;
inline constexpr uint32_t kServicePauseContinue = 0x0040;
inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kStandardRightsRead = 0x20000;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;

// Predefined registry roots (HKEY values).
inline constexpr uintptr_t kHkeyClassesRoot = 0x80000000u;
inline constexpr uintptr_t kHkeyCurrentUser = 0x80000001u;
inline constexpr uintptr_t kHkeyLocalMachine = 0x80000002u;

// Registry value types.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegDwordBigEndian = 5;
inline constexpr uint32_t kRegLink = 6;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

// Paths: MAX_PATH, the terminating NUL included.
inline constexpr std::size_t kMaxPath = 260;

}  // namespace rondel::platform
