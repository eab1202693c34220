// One owning type per kind of Win32 handle, each closed by its own function, exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace rondel {

template <typename T, auto Close>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(T value) noexcept : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, T{}));
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != T{}; }
    void reset(T value = T{}) noexcept {
        if (value_ != T{}) Close(value_);
        value_ = value;
    }
    T release() noexcept { return std::exchange(value_, T{}); }
    // For APIs that hand out a handle through a pointer.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_{};
};

using unique_schandle = unique_any<SC_HANDLE, &::CloseServiceHandle>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hicon = unique_any<HICON, &::DestroyIcon>;
using unique_himagelist = unique_any<HIMAGELIST, &::ImageList_Destroy>;
using unique_hbitmap = unique_any<HBITMAP, &::DeleteObject>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hbrush = unique_any<HBRUSH, &::DeleteObject>;
using unique_hpen = unique_any<HPEN, &::DeleteObject>;
using unique_hdc = unique_any<HDC, &::DeleteDC>;
using unique_handle = unique_any<HANDLE, &::CloseHandle>;  // a thread, an event: null when there is none
using unique_global_atom = unique_any<ATOM, &::GlobalDeleteAtom>;

}  // namespace rondel
