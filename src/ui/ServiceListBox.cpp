#include "ui/ServiceListBox.h"

#include "catalogue/ServiceEntry.h"

namespace rondel {

void ApplyServiceListLook(TGraphicListBox& listBox, bool highContrast) {
    listBox.SetAutoItemHeight(false);
    listBox.SetItemHeight(listBox.Scale(46));
    listBox.SetFlat(false);
    listBox.SetLayout(blGlyphLeft);
    listBox.SetBorderHighlight(clBtnHighlight);
    listBox.SetBorderShadow(highContrast ? clBtnShadow : clGreen);
    listBox.SetFocusedColor(highContrast ? clHotLight : clMoneyGreen);
    listBox.SetSelectedColor(highContrast ? clHighlight : clSkyBlue);
    TFont hot, selected;
    if (highContrast) {
        hot.SetColor(clHighlightText);
        selected.SetColor(clHighlightText);
    }
    listBox.SetFocusedFont(hot);
    listBox.SetSelectedFont(selected);
    if (listBox.HandleAllocated()) ::InvalidateRect(listBox.Handle(), nullptr, TRUE);
}

void ShowServiceList(TGraphicListBox& listBox, const std::vector<ServiceEntry>& entries,
                     const platform::IImageList* icons, TImageList& glyphs) {
    std::vector<std::string> texts;
    texts.reserve(entries.size());
    for (const ServiceEntry& entry : entries) texts.push_back(MakeServiceDisplayText(entry));
    ShowServiceList(listBox, texts, icons, glyphs);
}

void ShowServiceList(TGraphicListBox& listBox, const std::vector<std::string>& texts,
                     const platform::IImageList* icons, TImageList& glyphs) {
    const HIMAGELIST shown = icons != nullptr ? reinterpret_cast<HIMAGELIST>(icons->NativeHandle()) : nullptr;
    if (glyphs.Handle() != shown || listBox.Glyphs() == nullptr) {
        // The list box lets go of the old image list before its view changes.
        listBox.SetGlyphs(nullptr);
        glyphs = TImageList::View(shown);
        if (shown != nullptr) listBox.SetGlyphs(&glyphs);
        // The items drawn again with the new pictures, over themselves (nothing erased first).
        if (listBox.HandleAllocated()) ::InvalidateRect(listBox.Handle(), nullptr, FALSE);
    }
    listBox.Items().Assign(texts);
}

}  // namespace rondel
