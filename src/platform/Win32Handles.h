// One owning type per kind of Win32 handle, each closed by its own function, exactly once.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ddeml.h>

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
using unique_hmenu = unique_any<HMENU, &::DestroyMenu>;
using unique_haccel = unique_any<HACCEL, &::DestroyAcceleratorTable>;
using unique_hwnd = unique_any<HWND, &::DestroyWindow>;
using unique_hlocal = unique_any<HLOCAL, &::LocalFree>;  // what the system allocated for the caller

// A file: CreateFileA's INVALID_HANDLE_VALUE is no file. Close gives CloseHandle's answer, which
// a file written to must be asked for.
class unique_file : public unique_handle {
public:
    unique_file() noexcept = default;
    explicit unique_file(HANDLE opened) noexcept : unique_handle(opened == INVALID_HANDLE_VALUE ? nullptr : opened) {}
    bool Close() noexcept { return !*this || ::CloseHandle(release()) != FALSE; }
};

// The DC of a window's client area (of the screen for a null window), for drawing and measuring
// outside the system's paint cycle.
class window_dc {
public:
    explicit window_dc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC; the DC's previous one is put back at the end.
class selected_object {
public:
    selected_object(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    selected_object(const selected_object&) = delete;
    selected_object& operator=(const selected_object&) = delete;
    ~selected_object() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A DDE string handle of one DDEML instance.
class unique_hsz {
public:
    unique_hsz() noexcept = default;
    unique_hsz(DWORD instance, HSZ handle) noexcept : instance_(instance), handle_(handle) {}
    unique_hsz(const unique_hsz&) = delete;
    unique_hsz& operator=(const unique_hsz&) = delete;
    unique_hsz(unique_hsz&& other) noexcept
        : instance_(other.instance_), handle_(std::exchange(other.handle_, nullptr)) {}
    unique_hsz& operator=(unique_hsz&& other) noexcept {
        if (this != &other) {
            reset();
            instance_ = other.instance_;
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~unique_hsz() { reset(); }
    HSZ get() const noexcept { return handle_; }
    void reset() noexcept {
        if (handle_ != nullptr) ::DdeFreeStringHandle(instance_, handle_);
        handle_ = nullptr;
    }

private:
    DWORD instance_ = 0;
    HSZ handle_ = nullptr;
};

}  // namespace rondel
