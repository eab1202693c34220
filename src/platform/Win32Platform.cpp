#include "platform/Win32Platform.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/Win32Casts.h"
#include "platform/Win32Handles.h"
#include "text/AnsiText.h"

namespace rondel::platform {

// The logic's copies of the Windows values must be the real ones.
static_assert(kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorDependentServicesRunning == ERROR_DEPENDENT_SERVICES_RUNNING);
static_assert(kErrorServiceRequestTimeout == ERROR_SERVICE_REQUEST_TIMEOUT);
static_assert(kErrorServiceCannotAcceptCtrl == ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
static_assert(kServiceWin32 == SERVICE_WIN32 && kServiceDriver == SERVICE_DRIVER);
static_assert(kServiceStateAll == SERVICE_STATE_ALL);
static_assert(kScManagerAllAccess == SC_MANAGER_ALL_ACCESS && kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kKeyRead == KEY_READ && kRegMultiSz == REG_MULTI_SZ);
static_assert(kServiceAcceptPauseContinue == SERVICE_ACCEPT_PAUSE_CONTINUE);
static_assert(kScManagerConnect == SC_MANAGER_CONNECT && kScManagerEnumerateService == SC_MANAGER_ENUMERATE_SERVICE);
static_assert(kServiceChangeConfig == SERVICE_CHANGE_CONFIG && kServiceQueryStatus == SERVICE_QUERY_STATUS);
static_assert(kServiceStart == SERVICE_START && kServiceStop == SERVICE_STOP &&
              kServicePauseContinue == SERVICE_PAUSE_CONTINUE);
static_assert(kServiceControlStop == SERVICE_CONTROL_STOP && kServiceControlPause == SERVICE_CONTROL_PAUSE &&
              kServiceControlContinue == SERVICE_CONTROL_CONTINUE);
static_assert(kServiceBootStart == SERVICE_BOOT_START && kServiceSystemStart == SERVICE_SYSTEM_START &&
              kServiceAutoStart == SERVICE_AUTO_START && kServiceDemandStart == SERVICE_DEMAND_START &&
              kServiceDisabled == SERVICE_DISABLED && kServiceNoChange == SERVICE_NO_CHANGE);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE && kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              kErrorInvalidParameter == ERROR_INVALID_PARAMETER);

// ================================================================== environment and atoms

std::optional<std::string> Win32Environment::Variable(const std::string& name) {
    if (name.empty()) return std::nullopt;
    // Through the wide call: Wine's GetEnvironmentVariableA counts characters, not bytes, and
    // cuts a value with double-byte characters short.
    const std::wstring wideName = AnsiToWide(name);
    std::wstring value(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        ::SetLastError(0);
        const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        if (length < value.size()) {
            value.resize(length);
            return WideToAnsi(value);
        }
        value.resize(length + 1);  // too small: length is what it needs, NUL included
    }
    return std::nullopt;
}

std::string Win32Environment::SystemDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryA(buffer, static_cast<UINT>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer)) return {};
    return std::string(buffer, length);
}

std::string Win32Environment::ErrorMessage(uint32_t errorCode) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode,
        0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    const unique_hlocal allocated(buffer);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

uint16_t Win32AtomTable::FindGlobalAtom(const std::string& name) { return ::GlobalFindAtomA(name.c_str()); }
uint16_t Win32AtomTable::AddGlobalAtom(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }
void Win32AtomTable::DeleteGlobalAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

uint32_t Win32Processes::CurrentProcessId() { return ::GetCurrentProcessId(); }

uint32_t Win32Processes::ManagerProcessId() {
    const unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry))
        if (::lstrcmpiA(entry.szExeFile, "services.exe") == 0) return entry.th32ProcessID;
    return 0;
}

uint32_t Win32Processes::Terminate(uint32_t processId) {
    const unique_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process) return ::GetLastError();
    return ::TerminateProcess(process.get(), 1) ? 0 : ::GetLastError();
}

// ================================================================== texts

std::wstring ToWide(const std::string& text, unsigned codePage) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FromWide(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}

std::wstring AnsiToWide(const std::string& text) { return ToWide(text, CP_ACP); }

std::string WideToAnsi(const std::wstring& text) { return FromWide(text, CP_ACP); }

std::wstring WideFromCodePage932(const std::string& text) {
    // Without MB_ERR_INVALID_CHARS the conversion turns an undefined character into U+30FB and
    // Wine's takes the byte after a lone lead byte, an ASCII one too, as its trail byte; with it,
    // one undefined character fails the whole call. Hence the strict reading, run by run.
    return DecodeCodePage932(text, [](std::string_view characters) -> std::optional<std::wstring> {
        const int size = static_cast<int>(characters.size());
        const int length = ::MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, characters.data(), size, nullptr, 0);
        if (length <= 0) return std::nullopt;
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        if (::MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, characters.data(), size, wide.data(), length) != length)
            return std::nullopt;
        return wide;
    });
}

std::string Utf8FromCodePage932(const std::string& text) { return FromWide(WideFromCodePage932(text), CP_UTF8); }

uint32_t Win32FileSystem::WriteWholeFile(const std::string& file, const std::string& bytes) {
    return static_cast<uint32_t>(platform::WriteWholeFile(file, bytes));
}

}  // namespace rondel::platform
