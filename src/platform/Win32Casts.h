// What the Win32 side of the seam shares between its files: handles as the seam's integers and
// back, strings read out of the system's buffers, errors as codes.
#pragma once

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/PlatformHandle.h"

namespace rondel::platform {

template <typename T>
inline T As(RawHandle h) {
    return reinterpret_cast<T>(h);
}

template <typename T>
inline RawHandle Raw(T h) {
    return reinterpret_cast<RawHandle>(h);
}

// A string the system placed into a buffer: read only within the buffer, never past its end.
inline std::optional<std::string> StringInBuffer(const char* text, const BYTE* begin, std::size_t size) {
    if (text == nullptr) return std::nullopt;
    const auto* p = reinterpret_cast<const BYTE*>(text);
    if (p < begin || p >= begin + size) return std::nullopt;
    const std::size_t room = static_cast<std::size_t>(begin + size - p);
    return std::string(text, strnlen(text, room));
}

// 0 when the call succeeded, else its error.
inline uint32_t LastErrorUnless(BOOL ok) { return ok ? 0 : ::GetLastError(); }

}  // namespace rondel::platform
