#include "platform/Win32Platform.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/IconResources.h"
#include "platform/PixelBitmap.h"
#include "platform/Win32Casts.h"
#include "platform/Win32Handles.h"
#include "text/AnsiText.h"

namespace rondel::platform {

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
        const window_dc screen(nullptr);
        const bool read =
            ::GetDIBits(screen.get(), color.get(), 0, height_, colorPixels.data(), &info, DIB_RGB_COLORS) == height_ &&
            ::GetDIBits(screen.get(), mask.get(), 0, height_, maskPixels.data(), &info, DIB_RGB_COLORS) == height_;
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
        const window_dc screen(nullptr);
        unique_hbitmap color(::CreateCompatibleBitmap(screen.get(), width_, height_));
        return ::ImageList_Add(list_.get(), color.get(), mask.get());
    }

    Win32Shell& shell_;
    int width_;
    int height_;
    unique_himagelist list_;
};

// A file's bytes for the icon checks, read with the system's file calls.
class FileSource final : public IByteSource {
public:
    explicit FileSource(const std::string& path) {
        file_ = unique_file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        if (file_ && ::GetFileSizeEx(file_.get(), &size) && size.QuadPart > 0) size_ = static_cast<std::size_t>(size.QuadPart);
    }
    // 0 when the file cannot be opened (the shell cannot open it either) or is empty.
    std::size_t Size() const override { return size_; }
    bool Read(std::size_t at, std::span<uint8_t> into) override {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(uint64_t{at});
        where.OffsetHigh = static_cast<DWORD>(uint64_t{at} >> 32);
        DWORD read = 0;
        return ::ReadFile(file_.get(), into.data(), static_cast<DWORD>(into.size()), &read, &where) && read == into.size();
    }

private:
    unique_file file_;
    std::size_t size_ = 0;
};

// The file the shell will find for the path.
bool IconsLieWithinFile(const std::string& path) {
    char found[MAX_PATH] = {};
    const DWORD length = ::SearchPathA(nullptr, path.c_str(), nullptr, MAX_PATH, found, nullptr);
    FileSource source(length > 0 && length < MAX_PATH ? std::string(found, length) : path);
    ByteReader file(source);
    return IconsLieWithin(file);
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

int Win32Shell::IconSize() const { return ::GetSystemMetrics(SM_CXICON); }

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

}  // namespace rondel::platform
