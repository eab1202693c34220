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

void TImageList::Clear() {
    if (handle_) ::ImageList_RemoveAll(handle_);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
    if (handle_) ::ImageList_Draw(handle_, index, canvas.Handle(), x, y, ILD_NORMAL);
}

}  // namespace rondel
