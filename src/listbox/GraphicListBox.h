// TGraphicListBox: the program's own list control. Every item is one glyph of an image list
// beside (or above, or below) one or more lines of text, in one of three looks: normal,
// selected, and hot, the item under the mouse pointer. The hot look's properties say
// "Focused", yet it follows the pointer, never the keyboard focus, which has no look at all.
// Flat mode drops the hot look and the borders and shows the selection in the system's
// highlight colours with a dotted focus rectangle.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/ButtonLayout.h"
#include "toolkit/Color.h"
#include "toolkit/Font.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListBox.h"
#include "toolkit/Timer.h"

namespace rondel {

class TGraphicListBox : public TListBox {
public:
    TGraphicListBox();

    // True: ItemHeight follows the font and the glyphs (UpdateItemHeight).
    bool AutoItemHeight() const { return autoItemHeight_; }
    void SetAutoItemHeight(bool value);
    TColor BorderHighlight() const { return borderHighlight_; }
    void SetBorderHighlight(TColor color) { borderHighlight_ = color; }
    TColor BorderShadow() const { return borderShadow_; }
    void SetBorderShadow(TColor color) { borderShadow_ = color; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value) { flat_ = value; }
    // The hot look.
    TColor FocusedColor() const { return focusedColor_; }
    void SetFocusedColor(TColor color) { focusedColor_ = color; }
    TFont& FocusedFont() { return focusedFont_; }
    const TFont& FocusedFont() const { return focusedFont_; }
    // Copies the attributes; the control keeps its own font.
    void SetFocusedFont(const TFont& font) { focusedFont_.Assign(font); }
    // Image i belongs to item i. Not owned: the list must outlive its use here.
    const TImageList* Glyphs() const { return glyphs_; }
    void SetGlyphs(const TImageList* glyphs);
    // For a list that shows some of its image list's items (a filter): image images[i] belongs
    // to item i. Empty: image i to item i.
    void SetGlyphIndices(std::vector<int> images) { glyphIndices_ = std::move(images); }
    // The image of item index.
    int GlyphIndexOf(int index) const;
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor color) { selectedColor_ = color; }
    TFont& SelectedFont() { return selectedFont_; }
    const TFont& SelectedFont() const { return selectedFont_; }
    void SetSelectedFont(const TFont& font) { selectedFont_.Assign(font); }

    // The item-height rule; runs when AutoItemHeight, Glyphs or Layout is set.
    void UpdateItemHeight();
    // A fixed item height follows the DPI too.
    void ChangeDpi(int dpi) override;
    // Paints item index into rect on Canvas(). State: ODS_SELECTED, and ODS_FOCUS for hot.
    void PaintItem(int index, const RECT& rect, std::uint16_t state);
    // Repaints the hot item straight onto the window, with or without the hot look.
    void PaintHotItem(bool hot);
    // The focus cues of the form the list is in show (the keyboard has been used since the
    // mouse); never outside a form.
    bool FocusCuesShown() const;
    // The hot-tracking timer's handler: follows the pointer to the item under it.
    void TrackHotItem();

    // -1 for none.
    int HotItemIndex() const { return hotItemIndex_; }
    // Whether the 100 ms hot-tracking timer runs (only while the pointer is over the list).
    bool HotTracking() const { return hotTrackTimer_.Enabled(); }

protected:
    void FillCreateParams(CreateParams& params) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(int index, const RECT& rect, std::uint16_t state) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    void PaintEmptyList();

    bool autoItemHeight_ = false;
    TColor borderHighlight_;
    TColor borderShadow_;
    bool flat_ = false;
    TColor focusedColor_;
    TFont focusedFont_;
    // The keyboard's place: a dotted rectangle just inside the item.
    void DrawKeyboardFocus(HDC dc, const RECT& item) const;
    std::vector<int> glyphIndices_;
    const TImageList* glyphs_ = nullptr;
    TButtonLayout layout_ = blGlyphLeft;
    TColor selectedColor_;
    TFont selectedFont_;
    int hotItemIndex_ = -1;
    TTimer hotTrackTimer_;
};

}  // namespace rondel
