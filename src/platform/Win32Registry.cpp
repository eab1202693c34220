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

}  // namespace rondel::platform
