// Owning handles for the objects that the platform hands out.
//
// A handle is an opaque integer (0 is null) together with the interface that closes it; the
// owner closes it exactly once, when it goes out of scope or is reset. One type per kind, so
// a registry key can never be passed where a service handle is wanted.
#pragma once

#include <cstdint>
#include <utility>

namespace rondel::platform {

using RawHandle = std::uintptr_t;

// Implemented by each interface for the handles it gives out.
class HandleCloser {
public:
    virtual ~HandleCloser() = default;
    virtual void CloseHandle(RawHandle handle) noexcept = 0;
};

template <typename Kind>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    UniqueHandle(HandleCloser& closer, RawHandle raw) noexcept
        : closer_(raw ? &closer : nullptr), raw_(raw) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : closer_(std::exchange(other.closer_, nullptr)), raw_(std::exchange(other.raw_, 0)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            closer_ = std::exchange(other.closer_, nullptr);
            raw_ = std::exchange(other.raw_, 0);
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    RawHandle get() const noexcept { return raw_; }
    explicit operator bool() const noexcept { return raw_ != 0; }

    void reset() noexcept {
        if (raw_ != 0 && closer_ != nullptr) closer_->CloseHandle(raw_);
        raw_ = 0;
        closer_ = nullptr;
    }
    // Gives up ownership without closing.
    RawHandle release() noexcept {
        closer_ = nullptr;
        return std::exchange(raw_, 0);
    }

private:
    HandleCloser* closer_ = nullptr;
    RawHandle raw_ = 0;
};

struct ServiceHandleKind;
struct RegistryKeyKind;
struct IconKind;

using ServiceHandle = UniqueHandle<ServiceHandleKind>;  // SC_HANDLE of a manager or a service
using RegistryKeyHandle = UniqueHandle<RegistryKeyKind>;  // HKEY
using IconHandle = UniqueHandle<IconKind>;                // HICON

}  // namespace rondel::platform
