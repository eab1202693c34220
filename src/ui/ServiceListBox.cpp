#include "ui/ServiceListBox.h"

#include "catalogue/ServiceEntry.h"

namespace rondel {

void ApplyServiceListLook(TGraphicListBox& listBox) {
    listBox.SetAutoItemHeight(false);
    listBox.SetItemHeight(listBox.Scale(46));
    listBox.SetFlat(false);
    listBox.SetLayout(blGlyphLeft);
    listBox.SetBorderHighlight(clBtnHighlight);
    listBox.SetBorderShadow(clGreen);
    listBox.SetFocusedColor(clMoneyGreen);
    listBox.SetSelectedColor(clSkyBlue);
    listBox.SetFocusedFont(TFont());
    listBox.SetSelectedFont(TFont());
}

void FillServiceListBox(TGraphicListBox& listBox, const std::vector<ServiceEntry>& entries,
                        const platform::IImageList* icons, TImageList& glyphs) {
    listBox.Items().Clear();
    // The list box lets go of the old image list before its view changes.
    listBox.SetGlyphs(nullptr);
    glyphs = TImageList::View(icons != nullptr ? reinterpret_cast<HIMAGELIST>(icons->NativeHandle()) : nullptr);
    if (icons != nullptr) listBox.SetGlyphs(&glyphs);
    const HWND window = listBox.Handle();
    if (window != nullptr) ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    for (const ServiceEntry& entry : entries) listBox.Items().Add(MakeServiceDisplayText(entry));
    if (window != nullptr) {
        ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

}  // namespace rondel
