#include "platform/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <winsvc.h>

#include <algorithm>
#include <cstring>

#include "platform/Win32Handles.h"
#include "toolkit/Bitmap.h"

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

namespace {

template <typename T>
T As(RawHandle h) {
    return reinterpret_cast<T>(h);
}

template <typename T>
RawHandle Raw(T h) {
    return reinterpret_cast<RawHandle>(h);
}

// A string the system placed into a buffer: read only within the buffer, never past its end.
std::optional<std::string> StringInBuffer(const char* text, const BYTE* begin, std::size_t size) {
    if (text == nullptr) return std::nullopt;
    const auto* p = reinterpret_cast<const BYTE*>(text);
    if (p < begin || p >= begin + size) return std::nullopt;
    const std::size_t room = static_cast<std::size_t>(begin + size - p);
    return std::string(text, strnlen(text, room));
}

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

uint32_t LastErrorUnless(BOOL ok) { return ok ? 0 : ::GetLastError(); }

void CopyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
    to = {from.dwServiceType, from.dwCurrentState, from.dwControlsAccepted, from.dwWin32ExitCode,
          from.dwServiceSpecificExitCode, from.dwCheckPoint, from.dwWaitHint};
}

}  // namespace

// ================================================================== Service Control Manager

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
    SERVICE_STATUS s{};
    const BOOL ok = ::QueryServiceStatus(As<SC_HANDLE>(service), &s);
    const uint32_t error = LastErrorUnless(ok);
    CopyStatus(s, status);
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

// ================================================================== registry

RegistryKeyHandle Win32Registry::OpenKey(RawHandle root, const std::string& subKey, uint32_t access,
                                         uint32_t& error) {
    HKEY key = nullptr;
    error = static_cast<uint32_t>(::RegOpenKeyExA(As<HKEY>(root), subKey.c_str(), 0, access, &key));
    if (error != ERROR_SUCCESS) key = nullptr;
    return RegistryKeyHandle(*this, Raw(key));
}

uint32_t Win32Registry::QueryValue(RawHandle key, const std::string& name, RegistryData& data) {
    // Most values fit a small buffer: one call. A larger one says its size, and the value may
    // grow between two calls: ask again until it fits.
    DWORD size = 512;
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = REG_NONE;
        std::vector<uint8_t> bytes(std::max<DWORD>(size, 1));
        size = static_cast<DWORD>(bytes.size());
        const LSTATUS status = ::RegQueryValueExA(As<HKEY>(key), name.c_str(), nullptr, &type, bytes.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
        bytes.resize(std::min<std::size_t>(size, bytes.size()));
        data = RegistryData{type, std::move(bytes)};
        return 0;
    }
    return ERROR_MORE_DATA;
}

uint32_t Win32Registry::SetValue(RawHandle key, const std::string& name, uint32_t type,
                                 std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(::RegSetValueExA(As<HKEY>(key), name.c_str(), 0, type, bytes.data(),
                                                  static_cast<DWORD>(bytes.size())));
}

void Win32Registry::CloseHandle(RawHandle handle) noexcept { unique_hkey(As<HKEY>(handle)); }

// ================================================================== files and version resources

bool Win32FileSystem::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string Win32FileSystem::ModuleFileName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

uint32_t Win32FileSystem::VersionInfoSize(const std::string& file) {
    DWORD handle = 0;
    return ::GetFileVersionInfoSizeA(file.c_str(), &handle);
}

bool Win32FileSystem::ReadVersionInfo(const std::string& file, std::span<uint8_t> block) {
    return ::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) != FALSE;
}

std::vector<uint8_t> Win32FileSystem::VersionBlock(const std::string& file) {
    // GetFileVersionInfoSizeA and GetFileVersionInfoA each load the file (a few milliseconds
    // under Wine). A block of a generous size is read in one load instead: it holds the
    // resource (wLength bytes) and the room the "A" queries convert its strings into, as the
    // size the system would have given: twice wLength and 4.
    constexpr std::size_t kFirstGuess = 16384;
    std::vector<uint8_t> block(kFirstGuess, 0);
    if (!::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    const std::size_t length = static_cast<std::size_t>(block[0]) | static_cast<std::size_t>(block[1]) << 8;
    if (length > 0 && 2 * length + 4 <= block.size()) return block;
    return IVersionInfo::VersionBlock(file);
}

std::optional<std::vector<uint32_t>> Win32FileSystem::QueryTranslations(std::span<const uint8_t> block) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) || value == nullptr)
        return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(value);
    if (p < block.data() || p + length > block.data() + block.size()) return std::nullopt;
    std::vector<uint32_t> entries(length / 4);
    if (entries.empty()) return std::nullopt;
    std::memcpy(entries.data(), p, entries.size() * 4);
    return entries;
}

std::optional<std::string> Win32FileSystem::QueryString(std::span<const uint8_t> block,
                                                        const std::string& subBlock) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return std::nullopt;
    if (value == nullptr || length == 0) return std::string();
    return StringInBuffer(static_cast<const char*>(value), block.data(), block.size());
}

// ================================================================== shell

namespace {

class Win32ImageList final : public IImageList {
public:
    Win32ImageList(Win32Shell& shell, int width, int height)
        : shell_(shell), width_(width), height_(height),
          list_(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 16)) {}

    int Count() const override { return list_ ? ::ImageList_GetImageCount(list_.get()) : 0; }

    int AddIcon(RawHandle icon) override {
        int index = icon ? ::ImageList_ReplaceIcon(list_.get(), -1, As<HICON>(icon)) : -1;
        if (index < 0) index = AddBlank();
        return index;
    }

    // One bitmap strip for all of them, added in one call: ImageList_ReplaceIcon takes about
    // a millisecond and a half per icon under Wine, copying an icon's bits a few microseconds.
    int AddIcons(std::span<const RawHandle> icons) override {
        const int first = Count();
        const int n = static_cast<int>(icons.size());
        if (n == 0) return first;
        DWORD* colorBits = nullptr;
        DWORD* maskBits = nullptr;
        unique_hbitmap color = CreateStrip(n, &colorBits);
        unique_hbitmap mask = CreateStrip(n, &maskBits);
        if (!color || !mask) return IImageList::AddIcons(icons);
        const std::size_t row = static_cast<std::size_t>(width_) * static_cast<std::size_t>(n);
        std::vector<std::pair<RawHandle, int>> drawn;  // an icon's handle and the image it went to
        std::vector<int> odd;                           // images an icon of another shape goes to
        for (int k = 0; k < n; ++k) {
            const RawHandle icon = icons[static_cast<std::size_t>(k)];
            const auto same = std::find_if(drawn.begin(), drawn.end(), [&](const auto& d) { return d.first == icon; });
            bool copied = false;
            if (same != drawn.end()) {
                CopyColumn(colorBits, maskBits, row, same->second, k);
                copied = true;
            } else if (icon != 0 && ReadIconBits(As<HICON>(icon), colorBits, maskBits, row, k)) {
                drawn.emplace_back(icon, k);
                copied = true;
            } else if (icon != 0) {
                odd.push_back(k);
            }
            if (!copied) Transparent(colorBits, maskBits, row, k);  // in step with its item
        }
        const int added = ::ImageList_Add(list_.get(), color.get(), mask.get());
        if (added < 0) return IImageList::AddIcons(icons);
        for (const int k : odd) ::ImageList_ReplaceIcon(list_.get(), added + k, As<HICON>(icons[static_cast<std::size_t>(k)]));
        return added;
    }

    bool ReplaceIcon(int index, RawHandle icon) override {
        // Wine answers an index past the end with that index, as if it had replaced something.
        if (index < 0 || index >= Count()) return false;
        return ::ImageList_ReplaceIcon(list_.get(), index, As<HICON>(icon)) == index;
    }

    IconHandle GetIcon(int index) override {
        if (index < 0 || index >= Count()) return {};
        return IconHandle(shell_, Raw(::ImageList_GetIcon(list_.get(), index, ILD_NORMAL)));
    }

    void Clear() override { ::ImageList_RemoveAll(list_.get()); }
    RawHandle NativeHandle() const override { return Raw(list_.get()); }

private:
    // A 32-bit top-down strip of n images.
    unique_hbitmap CreateStrip(int n, DWORD** bits) const { return CreatePixelBitmap(nullptr, width_ * n, height_, bits); }

    // The icon's colour (alpha included) and mask into image k of the strips; false for an icon
    // that is not of the list's size or has no colour bitmap.
    bool ReadIconBits(HICON icon, DWORD* colorBits, DWORD* maskBits, std::size_t row, int k) const {
        ICONINFO parts{};
        if (!::GetIconInfo(icon, &parts)) return false;
        const unique_hbitmap color(parts.hbmColor), mask(parts.hbmMask);
        BITMAP shape{};
        if (!color || ::GetObjectA(color.get(), sizeof shape, &shape) == 0 || shape.bmWidth != width_ ||
            shape.bmHeight != height_)
            return false;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> colorPixels(static_cast<std::size_t>(width_ * height_));
        std::vector<DWORD> maskPixels(colorPixels.size());
        HDC screen = ::GetDC(nullptr);
        const bool read = ::GetDIBits(screen, color.get(), 0, height_, colorPixels.data(), &info, DIB_RGB_COLORS) == height_ &&
                          ::GetDIBits(screen, mask.get(), 0, height_, maskPixels.data(), &info, DIB_RGB_COLORS) == height_;
        ::ReleaseDC(nullptr, screen);
        if (!read) return false;
        for (int y = 0; y < height_; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * row + static_cast<std::size_t>(k * width_);
            std::copy_n(&colorPixels[static_cast<std::size_t>(y * width_)], width_, colorBits + at);
            std::copy_n(&maskPixels[static_cast<std::size_t>(y * width_)], width_, maskBits + at);
        }
        return true;
    }

    void CopyColumn(DWORD* colorBits, DWORD* maskBits, std::size_t row, int from, int to) const {
        for (int y = 0; y < height_; ++y) {
            const std::size_t line = static_cast<std::size_t>(y) * row;
            std::copy_n(colorBits + line + from * width_, width_, colorBits + line + to * width_);
            std::copy_n(maskBits + line + from * width_, width_, maskBits + line + to * width_);
        }
    }

    void Transparent(DWORD* colorBits, DWORD* maskBits, std::size_t row, int k) const {
        for (int y = 0; y < height_; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * row + static_cast<std::size_t>(k * width_);
            std::fill_n(colorBits + at, width_, 0u);
            std::fill_n(maskBits + at, width_, 0x00FFFFFFu);
        }
    }

    // A fully transparent image keeps the list in step with its items.
    int AddBlank() {
        const int maskStride = ((width_ + 15) / 16) * 2;
        std::vector<BYTE> bits(static_cast<std::size_t>(maskStride * height_), 0xFF);
        unique_hbitmap mask(::CreateBitmap(width_, height_, 1, 1, bits.data()));
        HDC screen = ::GetDC(nullptr);
        unique_hbitmap color(::CreateCompatibleBitmap(screen, width_, height_));
        ::ReleaseDC(nullptr, screen);
        return ::ImageList_Add(list_.get(), color.get(), mask.get());
    }

    Win32Shell& shell_;
    int width_;
    int height_;
    unique_himagelist list_;
};

}  // namespace

IconHandle Win32Shell::AssociatedIcon(const std::string& path) {
    // The shell may write another path back into the argument: give it room for a full one.
    char buffer[MAX_PATH] = {};
    std::memcpy(buffer, path.data(), std::min<std::size_t>(path.size(), MAX_PATH - 1));
    WORD index = 0;
    HICON icon = ::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buffer, &index);
    return IconHandle(*this, Raw(icon));
}

IconHandle Win32Shell::IconOfFile(const std::string& file, uint32_t index) {
    HICON icon = ::ExtractIconA(::GetModuleHandleA(nullptr), file.c_str(), index);
    // 1 means "not a file with icons", not an icon.
    if (Raw(icon) == 1) icon = nullptr;
    return IconHandle(*this, Raw(icon));
}

IconHandle Win32Shell::CopyIcon(RawHandle icon) {
    return IconHandle(*this, Raw(::CopyIcon(As<HICON>(icon))));
}

std::unique_ptr<IImageList> Win32Shell::CreateImageList(int width, int height) {
    return std::make_unique<Win32ImageList>(*this, width, height);
}

uint32_t Win32Shell::Execute(const std::string& commandLine, int showCommand) {
    return ::WinExec(commandLine.c_str(), static_cast<UINT>(showCommand));
}

bool Win32Shell::OpenDocument(const std::string& document) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, "open", document.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::optional<std::string> Win32Shell::LoadIndirectString(const std::string& reference) {
    // Real values name their library through the environment ("@%SystemRoot%\system32\x.dll,-204").
    // Wine's SHLoadIndirectString does not expand such references (Windows' does), so expand
    // them first; on Windows that changes nothing.
    const std::wstring stored = AnsiToWide(reference);
    std::wstring source(::ExpandEnvironmentStringsW(stored.c_str(), nullptr, 0), L'\0');
    if (source.empty() || ::ExpandEnvironmentStringsW(stored.c_str(), source.data(),
                                                      static_cast<DWORD>(source.size())) == 0)
        source = stored;
    else
        source.resize(wcslen(source.c_str()));
    wchar_t text[1024] = {};
    if (FAILED(::SHLoadIndirectString(source.c_str(), text, static_cast<UINT>(std::size(text)), nullptr)))
        return std::nullopt;
    text[std::size(text) - 1] = L'\0';
    return WideToAnsi(text);
}

void Win32Shell::CloseHandle(RawHandle handle) noexcept { unique_hicon(As<HICON>(handle)); }

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

uint16_t Win32AtomTable::FindGlobalAtom(const std::string& name) { return ::GlobalFindAtomA(name.c_str()); }
uint16_t Win32AtomTable::AddGlobalAtom(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }
void Win32AtomTable::DeleteGlobalAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

// ================================================================== texts

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), length, nullptr,
                          nullptr);
    return ansi;
}

}  // namespace rondel::platform
