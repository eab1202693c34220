#include "platform/Win32Platform.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/Win32Casts.h"
#include "platform/Win32Handles.h"

namespace rondel::platform {

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

namespace {

// An event that the system sets on a change below the key; asked without waiting.
class Win32KeyWatch final : public IKeyWatch {
public:
    Win32KeyWatch(unique_hkey key, unique_handle event) : key_(std::move(key)), event_(std::move(event)) {}

    // The first registration: false when the system takes none.
    bool Arm() {
        constexpr DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
        // Not tied to this thread (a worker's), where the system offers that; else as before.
        if (::RegNotifyChangeKeyValue(key_.get(), TRUE, filter | REG_NOTIFY_THREAD_AGNOSTIC, event_.get(), TRUE) ==
            ERROR_SUCCESS)
            return true;
        return ::RegNotifyChangeKeyValue(key_.get(), TRUE, filter, event_.get(), TRUE) == ERROR_SUCCESS;
    }

    bool Changed() override {
        if (broken_) return true;
        if (::WaitForSingleObject(event_.get(), 0) != WAIT_OBJECT_0) return false;
        broken_ = !Arm();  // for the next change; a watch that cannot go on reports changes from now on
        return true;
    }

private:
    unique_hkey key_;
    unique_handle event_;
    bool broken_ = false;
};

}  // namespace

std::unique_ptr<IKeyWatch> Win32Registry::WatchKey(RawHandle root, const std::string& subKey) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(As<HKEY>(root), subKey.c_str(), 0, KEY_NOTIFY, &opened) != ERROR_SUCCESS) return nullptr;
    unique_hkey key(opened);
    unique_handle event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));  // reset by the wait that sees it
    if (!event) return nullptr;
    auto watch = std::make_unique<Win32KeyWatch>(std::move(key), std::move(event));
    if (!watch->Arm()) return nullptr;
    return watch;
}

}  // namespace rondel::platform

namespace rondel::platform {

std::optional<std::vector<KeyStamp>> Win32Registry::SubKeyStamps(RawHandle root, const std::string& subKey) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(As<HKEY>(root), subKey.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const unique_hkey key(opened);
    std::vector<KeyStamp> stamps;
    for (DWORD index = 0;; ++index) {
        char name[256];  // a key's name is at most 255 characters
        DWORD length = sizeof name;
        FILETIME written{};
        const LSTATUS status = ::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, &written);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return std::nullopt;
        stamps.push_back({std::string(name, length),
                          (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime});
    }
    return stamps;
}

}  // namespace rondel::platform
