// A list of equally sized images (a comctl32 image list) that can draw image i on a canvas.
// It either owns its list or views one that someone else owns, such as the catalogue's
// per-tab icon lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "platform/Win32Handles.h"
#include "toolkit/Canvas.h"

namespace rondel {

// A bitmap resource of the program, by name, drawn for 96 DPI and stretched to dpi (pixel by
// pixel, so that the transparent colour stays exact); empty when there is none. A picture that
// has no transparent colour may come drawn at twice its size too ("<name>_2X"): above 96 DPI
// its copy is made smaller from that one, smoothly, and stays sharp.
unique_hbitmap LoadBitmapResource(const char* name, int dpi = 96);

// The colour that stands for "transparent" in the program's bitmap resources.
inline constexpr COLORREF kTransparentColor = RGB(255, 0, 255);

class TImageList {
public:
    // A new, empty list of width × height images with masks, owned by this object.
    TImageList(int width, int height);
    // Views a list owned elsewhere; it must outlive this object.
    static TImageList View(HIMAGELIST list);

    TImageList(TImageList&& other) noexcept
        : owned_(std::move(other.owned_)), handle_(std::exchange(other.handle_, nullptr)) {}
    TImageList& operator=(TImageList&& other) noexcept {
        owned_ = std::move(other.owned_);
        handle_ = std::exchange(other.handle_, nullptr);
        return *this;
    }

    HIMAGELIST Handle() const { return handle_; }
    int Width() const;
    int Height() const;
    int Count() const;
    // Appends a copy of the icon; returns its index, or -1.
    int AddIcon(HICON icon);
    // Appends the pictures of a bitmap that holds them side by side, Width() each; pixels of
    // maskColor are transparent. Returns the index of the first, or -1.
    int AddMasked(HBITMAP bitmap, COLORREF maskColor);
    // A new icon of image index (the caller owns it); empty for an index out of range.
    unique_hicon GetIcon(int index) const;
    void Clear();
    // Image index at (x, y), in the list's own drawing style (masked parts left as they are).
    void Draw(TCanvas& canvas, int x, int y, int index) const;

private:
    struct ViewTag {};
    TImageList(ViewTag, HIMAGELIST list) : handle_(list) {}

    unique_himagelist owned_;
    HIMAGELIST handle_ = nullptr;
};

}  // namespace rondel
