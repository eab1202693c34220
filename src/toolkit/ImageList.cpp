#include "toolkit/ImageList.h"

#include <string>

#include "toolkit/DpiScale.h"

namespace rondel {

TImageList::TImageList(int width, int height)
    : owned_(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 16)), handle_(owned_.get()) {}

TImageList TImageList::View(HIMAGELIST list) { return TImageList(ViewTag{}, list); }

int TImageList::Width() const {
    int width = 0, height = 0;
    if (handle_) ::ImageList_GetIconSize(handle_, &width, &height);
    return width;
}

int TImageList::Height() const {
    int width = 0, height = 0;
    if (handle_) ::ImageList_GetIconSize(handle_, &width, &height);
    return height;
}

int TImageList::Count() const { return handle_ ? ::ImageList_GetImageCount(handle_) : 0; }

int TImageList::AddIcon(HICON icon) { return handle_ ? ::ImageList_ReplaceIcon(handle_, -1, icon) : -1; }

int TImageList::AddMasked(HBITMAP bitmap, COLORREF maskColor) {
    return handle_ && bitmap ? ::ImageList_AddMasked(handle_, bitmap, maskColor) : -1;
}

unique_hicon TImageList::GetIcon(int index) const {
    if (!handle_ || index < 0 || index >= Count()) return {};
    return unique_hicon(::ImageList_GetIcon(handle_, index, ILD_NORMAL));
}

unique_hbitmap LoadBitmapResource(const char* name, int dpi) {
    const auto load = [](const std::string& resource) {
        return unique_hbitmap(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), resource.c_str(),
                                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    };
    unique_hbitmap drawn = load(name);
    BITMAP shape{};
    if (!drawn || dpi == kDesignDpi || ::GetObjectA(drawn.get(), sizeof shape, &shape) == 0) return drawn;
    const int width = ScaleForDpi(shape.bmWidth, dpi);
    const int height = ScaleForDpi(shape.bmHeight, dpi);
    bool smooth = false;
    if (dpi > kDesignDpi) {
        if (unique_hbitmap twice = load(std::string(name) + "_2X"); twice && ::GetObjectA(twice.get(), sizeof shape, &shape)) {
            drawn = std::move(twice);
            smooth = true;
        }
    }
    const window_dc screen(nullptr);
    unique_hbitmap scaled(::CreateCompatibleBitmap(screen.get(), width, height));
    const unique_hdc from(::CreateCompatibleDC(screen.get()));
    const unique_hdc to(::CreateCompatibleDC(screen.get()));
    if (!scaled || !from || !to) return drawn;
    const selected_object source(from.get(), drawn.get());
    const selected_object target(to.get(), scaled.get());
    ::SetStretchBltMode(to.get(), smooth ? HALFTONE : COLORONCOLOR);
    if (smooth) ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
    ::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, shape.bmWidth, shape.bmHeight, SRCCOPY);
    return scaled;
}

void TImageList::Clear() {
    if (handle_) ::ImageList_RemoveAll(handle_);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
    if (handle_) ::ImageList_Draw(handle_, index, canvas.Handle(), x, y, ILD_NORMAL);
}

}  // namespace rondel
