#include "platform/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <winsvc.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/PixelBitmap.h"
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

// Little-endian fields of bytes the caller has checked the room for.
uint16_t WordAt(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
// Room for count bytes at offset at.
bool Holds(std::span<const uint8_t> bytes, std::size_t at, std::size_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}
constexpr std::size_t AlignFour(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// A node of a version block: wLength, wValueLength, wType, the key in UTF-16 with its NUL, then,
// each aligned to four bytes from the node's start, the value (wValueLength UTF-16 units when
// wType is not 0, else bytes) and the children.
struct VersionNode {
    std::size_t end = 0;       // offset of the node's end
    std::size_t keyUnits = 0;  // the key's length without its NUL
    std::size_t valueEnd = 0;
    std::size_t children = 0;  // offset of the first child
};

// The node at `at` if it lies within limit (header, key and NUL included).
std::optional<VersionNode> NodeWithin(std::span<const uint8_t> block, std::size_t at, std::size_t limit) {
    if (limit > block.size() || at + 6 > limit) return std::nullopt;
    const std::size_t length = WordAt(block, at);
    if (length < 6 || at + length > limit) return std::nullopt;
    VersionNode node;
    node.end = at + length;
    std::size_t key = at + 6;
    for (; key + 2 <= node.end && WordAt(block, key) != 0; key += 2) {}
    if (key + 2 > node.end) return std::nullopt;
    node.keyUnits = (key - at - 6) / 2;
    const std::size_t value = at + AlignFour(key + 2 - at);
    const std::size_t valueBytes = std::size_t{WordAt(block, at + 2)} * (WordAt(block, at + 4) != 0 ? 2 : 1);
    node.valueEnd = value + valueBytes;
    node.children = value + AlignFour(valueBytes);
    return node;
}

// Whether looking up the rest of a path below `node` stays within the resource (rootEnd bytes).
// The lookup passes the children in order up to the one whose key matches without regard to
// case; each it may pass must lie within its parent, and one of length 0, which ends the list,
// must begin with an empty key (the lookup reads the key before the length). Every child whose
// key has the component's length is followed, so no way of matching keys can lead elsewhere.
bool LookupStaysInside(std::span<const uint8_t> block, const VersionNode& node, std::span<const std::size_t> rest,
                       std::size_t rootEnd) {
    if (rest.empty()) return node.valueEnd <= rootEnd;
    for (std::size_t at = node.children; at < node.end; at += AlignFour(WordAt(block, at))) {
        if (!Holds(block, at, 8)) return false;
        if (WordAt(block, at) == 0) return WordAt(block, at + 6) == 0;
        const std::optional<VersionNode> child = NodeWithin(block, at, node.end);
        if (!child) return false;
        if (child->keyUnits == rest.front() && !LookupStaysInside(block, *child, rest.subspan(1), rootEnd)) return false;
    }
    return true;
}

// VerQueryValueA trusts every length of the block: a damaged file's block sends it reading past
// the block's end, and writing the "A" copy of a string past it (at the block's length word + 4
// and the value's offset). This says whether its walk for subBlock stays inside: a 32-bit block
// (a 16-bit one has its key's first letter where the 32-bit type is), with room for the copies,
// whose nodes on the way lie within their parents and whose value lies within the resource.
bool VersionQueryStaysInBlock(std::span<const uint8_t> block, const std::string& subBlock) {
    if (!Holds(block, 0, 8) || block[4] >= 0x20) return false;
    const std::size_t rootEnd = WordAt(block, 0);
    if (2 * rootEnd + 4 > block.size()) return false;
    const std::optional<VersionNode> root = NodeWithin(block, 0, rootEnd);
    if (!root) return false;
    // The path's components in UTF-16 units, split as the system splits it: after conversion,
    // so that a double-byte character's trail byte 0x5C is no separator.
    std::vector<std::size_t> components;
    std::size_t units = 0;
    for (const wchar_t c : AnsiToWide(subBlock) + L'\\') {
        if (c != L'\\') {
            ++units;
        } else if (units > 0) {
            components.push_back(units);
            units = 0;
        }
    }
    return LookupStaysInside(block, *root, components, rootEnd);
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
    // under Wine). A block of a generous size is read in one load instead. The queries use twice
    // the block's length word and 4 (its "A" strings go into the second half), whatever the
    // resource really holds: a block whose length says more is read again into that much room,
    // zeros past the data, never into the size the system reports for the resource.
    constexpr std::size_t kFirstGuess = 16384;
    std::vector<uint8_t> block(kFirstGuess, 0);
    if (!::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    const std::size_t room = 2 * std::size_t{WordAt(block, 0)} + 4;
    if (room > block.size()) {
        block.assign(room, 0);
        if (!::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    }
    return block;
}

std::optional<std::vector<uint32_t>> Win32FileSystem::QueryTranslations(std::span<const uint8_t> block) {
    const char* const path = "\\VarFileInfo\\Translation";
    if (!VersionQueryStaysInBlock(block, path)) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), path, &value, &length) || value == nullptr) return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(value);
    if (p < block.data() || p + length > block.data() + block.size()) return std::nullopt;
    std::vector<uint32_t> entries(length / 4);
    if (entries.empty()) return std::nullopt;
    std::memcpy(entries.data(), p, entries.size() * 4);
    return entries;
}

std::optional<std::string> Win32FileSystem::QueryString(std::span<const uint8_t> block,
                                                        const std::string& subBlock) {
    if (!VersionQueryStaysInBlock(block, subBlock)) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return std::nullopt;
    if (value == nullptr || length == 0) return std::string();
    // Up to its NUL; a value stored without one ends with its length, not with what follows.
    std::optional<std::string> text = StringInBuffer(static_cast<const char*>(value), block.data(), block.size());
    if (text && text->size() > length) text->resize(length);
    return text;
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

// ------------------------------------------------------------------ icons of damaged files

using unique_file = unique_any<HANDLE, &::CloseHandle>;

// A file's bytes, read a page at a time as the checks below ask for them: under Wine a few
// small reads cost a fifth of what mapping the file does. Reads that fail make the file unfit.
class FileView {
public:
    explicit FileView(const std::string& path) {
        HANDLE opened = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        file_.reset(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
        LARGE_INTEGER size{};
        if (file_ && ::GetFileSizeEx(file_.get(), &size) && size.QuadPart > 0) size_ = static_cast<std::size_t>(size.QuadPart);
    }
    // 0 when the file cannot be opened (the shell cannot open it either) or is empty.
    std::size_t Size() const { return size_; }
    bool Failed() const { return failed_; }
    // Room for count bytes at offset at.
    bool Holds(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
    // Fields within the file (the caller has checked the room).
    uint16_t Word(std::size_t at) { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
    uint32_t Dword(std::size_t at) { return static_cast<uint32_t>(Word(at)) | static_cast<uint32_t>(Word(at + 2)) << 16; }

private:
    static constexpr std::size_t kPage = 4096;

    uint8_t Byte(std::size_t at) {
        auto page = pages_.find(at / kPage);
        if (page == pages_.end()) {
            std::vector<uint8_t> bytes(std::min(kPage, size_ - at / kPage * kPage));
            OVERLAPPED where{};
            const uint64_t offset = at / kPage * kPage;
            where.Offset = static_cast<DWORD>(offset);
            where.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD read = 0;
            if (!::ReadFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, &where) || read != bytes.size()) {
                failed_ = true;
                std::fill(bytes.begin(), bytes.end(), uint8_t{0});
            }
            page = pages_.emplace(at / kPage, std::move(bytes)).first;
        }
        return page->second[at % kPage];
    }

    unique_file file_;
    std::size_t size_ = 0;
    bool failed_ = false;
    std::map<std::size_t, std::vector<uint8_t>> pages_;
};

constexpr uint16_t kIconResource = 3;        // RT_ICON
constexpr uint16_t kIconGroupResource = 14;  // RT_GROUP_ICON

// The file offset of a relative virtual address, by the first section whose raw data covers it
// (32-bit sums, as the system's lookup makes them); nullopt when none does.
std::optional<std::size_t> RvaToOffset(FileView& file, std::size_t sections, std::size_t count, uint32_t rva) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = sections + 40 * k;
        const uint32_t start = file.Dword(s + 12);
        const uint32_t end = start + file.Dword(s + 16);  // wraps as the system's sum does
        if (start <= rva && end > rva) return std::size_t{file.Dword(s + 20)} + (rva - start);
    }
    return std::nullopt;
}

// A resource directory's header and `entries` of its entries lie within the file.
bool DirectoryWithin(FileView& file, std::size_t at, std::size_t entries) {
    return file.Holds(at, 16) && file.Holds(at + 16, 8 * entries);
}
std::size_t EntryCount(FileView& file, std::size_t directory) {
    return std::size_t{file.Word(directory + 12)} + file.Word(directory + 14);
}
std::size_t EntryTarget(FileView& file, std::size_t root, std::size_t entry) {
    return root + (file.Dword(entry + 4) & 0x7FFFFFFFu);
}

// One resource type's directory below the root: each of its entries leads to a directory whose
// first entry (read whatever its count says) leads to the data entry, whose data, when a section
// holds it, lies within the file, and so do an icon group's header and all the entries it counts.
bool IconTypeWithin(FileView& file, std::size_t root, std::size_t type, std::size_t sections, std::size_t sectionCount,
                    bool group) {
    if (!DirectoryWithin(file, type, EntryCount(file, type))) return false;
    for (std::size_t k = 0; k < EntryCount(file, type); ++k) {
        const std::size_t names = EntryTarget(file, root, type + 16 + 8 * k);
        if (!DirectoryWithin(file, names, std::max<std::size_t>(1, EntryCount(file, names)))) return false;
        const std::size_t data = EntryTarget(file, root, names + 16);
        if (!file.Holds(data, 16)) return false;
        const std::optional<std::size_t> bytes = RvaToOffset(file, sections, sectionCount, file.Dword(data));
        if (!bytes) continue;  // the reader finds no data there and stops
        if (!file.Holds(*bytes, file.Dword(data + 4))) return false;
        if (group && (!file.Holds(*bytes, 6) || !file.Holds(*bytes, 6 + 14 * std::size_t{file.Word(*bytes + 4)})))
            return false;
    }
    return true;
}

// An executable's icons: its headers, its section table and, of the resource tree, the root and
// the icon and icon-group types lie within the file.
bool ExecutableIconsWithin(FileView& file, std::size_t header) {
    if (!file.Holds(header, 24)) return false;
    const std::size_t sectionCount = file.Word(header + 6);
    const std::size_t optional = header + 24;
    const std::size_t sections = optional + file.Word(header + 20);
    if (!file.Holds(optional, 2) || !file.Holds(sections, 40 * sectionCount)) return false;
    const uint16_t magic = file.Word(optional);
    if (magic != 0x20B && magic != 0x10B) return true;  // no resources to be found
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    if (!file.Holds(optional, 64) || !file.Holds(directories - 4, 4)) return false;
    if (file.Dword(directories - 4) <= 2) return true;  // no resource directory
    if (!file.Holds(directories + 16, 8)) return false;
    const uint32_t address = file.Dword(directories + 16);
    if (address == 0) return true;
    const std::optional<std::size_t> root = address < file.Dword(optional + 60)
                                                ? std::optional<std::size_t>(address)
                                                : RvaToOffset(file, sections, sectionCount, address);
    if (!root) return true;
    if (!DirectoryWithin(file, *root, EntryCount(file, *root))) return false;
    for (std::size_t k = 0; k < EntryCount(file, *root); ++k) {
        const std::size_t entry = *root + 16 + 8 * k;
        const uint16_t id = file.Word(entry);
        if ((id == kIconResource || id == kIconGroupResource) &&
            !IconTypeWithin(file, *root, EntryTarget(file, *root, entry), sections, sectionCount, id == kIconGroupResource))
            return false;
    }
    return true;
}

// An icon file (what the shell takes a file for when it does not begin with "MZ" and its second
// word is 1): its directory and every image lie within the file.
bool IconFileWithin(FileView& file) {
    if (!file.Holds(0, 6)) return false;
    if (file.Word(0) != 0 || file.Word(4) == 0) return true;  // not read further
    const std::size_t count = file.Word(4);
    if (!file.Holds(6, 16 * count)) return false;
    for (std::size_t k = 0; k < count; ++k) {
        if (!file.Holds(file.Dword(6 + 16 * k + 12), file.Dword(6 + 16 * k + 8))) return false;
    }
    return true;
}

// ExtractIconA and ExtractAssociatedIconA map the file and follow the offsets of its headers and
// resource directories without comparing them with its size: a file cut short, or one that
// places its icons outside itself, crashes the process inside the shell (Wine 8). What the shell
// will read is checked first, in the file it will find; a file that fails gets no icon.
bool IconsLieWithinFile(const std::string& path) {
    char found[MAX_PATH] = {};
    const DWORD length = ::SearchPathA(nullptr, path.c_str(), nullptr, MAX_PATH, found, nullptr);
    FileView file(length > 0 && length < MAX_PATH ? std::string(found, length) : path);
    // A file that cannot be opened here cannot be mapped there either, nor an empty one; under 4
    // bytes the shell sees zeros past the end: no signature, nothing more is read.
    if (!file.Holds(0, 4)) return true;
    bool fit = false;
    if (file.Word(0) != 0x5A4D) {  // "MZ"
        fit = file.Word(2) != 1 || IconFileWithin(file);
    } else if (file.Holds(60, 4) && file.Holds(file.Dword(60), 4)) {
        const std::size_t header = file.Dword(60);
        if (file.Dword(header) == 0x00004550)  // "PE\0\0"
            fit = ExecutableIconsWithin(file, header);
        else
            fit = file.Word(header) != 0x454E;  // a 16-bit executable's tables are not checked: no icon
    }
    return fit && !file.Failed();
}

}  // namespace

IconHandle Win32Shell::AssociatedIcon(const std::string& path) {
    if (!IconsLieWithinFile(path)) return {};
    // The shell may write another path back into the argument: give it room for a full one.
    char buffer[MAX_PATH] = {};
    std::memcpy(buffer, path.data(), std::min<std::size_t>(path.size(), MAX_PATH - 1));
    WORD index = 0;
    HICON icon = ::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buffer, &index);
    return IconHandle(*this, Raw(icon));
}

IconHandle Win32Shell::IconOfFile(const std::string& file, uint32_t index) {
    if (!IconsLieWithinFile(file)) return {};
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

std::string Win32Environment::ErrorMessage(uint32_t errorCode) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode,
        0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

uint16_t Win32AtomTable::FindGlobalAtom(const std::string& name) { return ::GlobalFindAtomA(name.c_str()); }
uint16_t Win32AtomTable::AddGlobalAtom(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }
void Win32AtomTable::DeleteGlobalAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

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

}  // namespace rondel::platform
