#include "ui/ServiceListBox.h"

#include "catalogue/ServiceEntry.h"

namespace rondel {

void ApplyServiceListLook(TGraphicListBox& listBox) {
    listBox.SetAutoItemHeight(false);
    listBox.SetItemHeight(46);
    listBox.SetFlat(false);
    listBox.SetLayout(blGlyphLeft);
    listBox.SetBorderHighlight(clBtnHighlight);
    listBox.SetBorderShadow(clGreen);
    listBox.SetFocusedColor(clMoneyGreen);
    listBox.SetSelectedColor(clSkyBlue);
    listBox.SetFocusedFont(TFont());
    listBox.SetSelectedFont(TFont());
}

void FillServiceListBox(TGraphicListBox& listBox, const StateList& list, TImageList& glyphs) {
    listBox.Items().Clear();
    glyphs = TImageList::View(reinterpret_cast<HIMAGELIST>(list.images->NativeHandle()));
    listBox.SetGlyphs(&glyphs);
    const HWND window = listBox.Handle();
    if (window != nullptr) ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    for (const std::string& item : list.items) {
        ServiceEntry entry;
        SplitServiceItem(item, entry);
        listBox.Items().Add(MakeServiceDisplayText(entry));
    }
    if (window != nullptr) {
        ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

}  // namespace rondel
