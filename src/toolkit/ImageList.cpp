#include "toolkit/ImageList.h"

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

unique_hbitmap LoadBitmapResource(const char* name) {
    return unique_hbitmap(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void TImageList::Clear() {
    if (handle_) ::ImageList_RemoveAll(handle_);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
    if (handle_) ::ImageList_Draw(handle_, index, canvas.Handle(), x, y, ILD_NORMAL);
}

}  // namespace rondel
