#include "listbox/GraphicListBox.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "listbox/ItemLayout.h"
#include "platform/Win32Handles.h"
#include "text/AnsiText.h"
#include "text/StringList.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Form.h"

namespace rondel {

namespace {

// One border pass: the first colour on the left and top, the second on the bottom and right.
// A polyline leaves its end point out, so the top-right pixel keeps what lies beneath.
void DrawBorderPass(TCanvas& canvas, const RECT& v, TColor first, TColor second) {
    canvas.Pen().SetColor(first);
    const POINT leftTop[] = {{v.left, v.bottom - 1}, {v.left, v.top}, {v.right - 1, v.top}};
    canvas.Polyline(leftTop);
    canvas.Pen().SetColor(second);
    const POINT bottomRight[] = {{v.left, v.bottom - 1}, {v.right - 1, v.bottom - 1}, {v.right - 1, v.top}};
    canvas.Polyline(bottomRight);
}

// The part of a text run drawn from column x that can reach the columns before `right`: every
// character is at least a pixel wide, so no more than right - x characters start there (one more
// for a glyph that reaches back). A line of any length is drawn in the time of a short one.
std::string_view VisibleRun(std::string_view line, int x, int right) {
    if (x >= right) return {};
    const std::size_t characters = static_cast<std::size_t>(right - x) + 1;
    std::size_t end = 0;
    for (std::size_t k = 0; k < characters && end < line.size(); ++k) end += CharLength(line, end);
    return line.substr(0, end);
}

}  // namespace

TGraphicListBox::TGraphicListBox() : hotTrackTimer_(*this) {
    // Through the setters, as a stored form would; UpdateItemHeight runs three times.
    SetAutoItemHeight(true);
    SetBorderHighlight(clBtnHighlight);
    SetBorderShadow(clBtnShadow);
    SetFlat(false);
    SetFocusedColor(clBtnFace);
    SetFocusedFont(TFont());
    SetGlyphs(nullptr);
    SetLayout(blGlyphLeft);
    SetSelectedColor(clBtnFace);
    SetSelectedFont(TFont());
    SetStyle(lbOwnerDrawFixed);
    hotItemIndex_ = -1;
    hotTrackTimer_.SetEnabled(false);
    hotTrackTimer_.SetInterval(100);
    hotTrackTimer_.OnTimer = [this] { TrackHotItem(); };
}

void TGraphicListBox::SetAutoItemHeight(bool value) {
    autoItemHeight_ = value;
    UpdateItemHeight();
}

void TGraphicListBox::SetGlyphs(const TImageList* glyphs) {
    glyphs_ = glyphs;
    UpdateItemHeight();
}

int TGraphicListBox::GlyphIndexOf(int index) const {
    if (glyphIndices_.empty()) return index;
    return index >= 0 && index < static_cast<int>(glyphIndices_.size()) ? glyphIndices_[static_cast<std::size_t>(index)] : -1;
}

void TGraphicListBox::SetLayout(TButtonLayout layout) {
    layout_ = layout;
    UpdateItemHeight();
}

void TGraphicListBox::UpdateItemHeight() {
    if (!autoItemHeight_) return;
    // One line of text, whatever the items hold.
    int height = std::abs(Scale(Font().Height()));
    if (glyphs_ != nullptr) {
        const int glyphHeight = glyphs_->Height();
        if (layout_ == blGlyphLeft || layout_ == blGlyphRight) height = std::max(height, glyphHeight + Scale(2));
        else height += glyphHeight + Scale(2);
    }
    SetItemHeight(height);
}

void TGraphicListBox::ChangeDpi(int dpi) {
    if (!autoItemHeight_ && dpi > 0) SetItemHeight(::MulDiv(ItemHeight(), dpi, Dpi()));
    TListBox::ChangeDpi(dpi);
    UpdateItemHeight();
}

void TGraphicListBox::PaintItem(int index, const RECT& rect, std::uint16_t state) {
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool hot = (state & ODS_FOCUS) != 0;
    TCanvas& canvas = Canvas();

    canvas.Brush().SetColor(Color());
    canvas.Font().Assign(Font());
    if (flat_ && selected) {
        canvas.Brush().SetColor(clHighlight);
        canvas.Font().SetColor(clHighlightText);
    }

    const std::string text = Items().Get(index);
    const std::vector<std::string> lines = SplitTextLines(text);

    // Measured in the control's font, whatever the state font: a larger state font overlaps.
    ItemSizes sizes;
    sizes.layout = layout_;
    for (const std::string& line : lines) sizes.textWidth = std::max(sizes.textWidth, canvas.TextWidth(line));
    sizes.lineHeight = canvas.TextHeight(text);
    sizes.lines = static_cast<int>(lines.size());
    sizes.glyphWidth = glyphs_ ? glyphs_->Width() : 0;
    sizes.glyphHeight = glyphs_ ? glyphs_->Height() : 0;
    sizes.clientWidth = ClientWidth();
    sizes.itemHeight = ItemHeight();
    sizes.dpi = Dpi();
    const ItemPlaces places = LayOutItem(sizes);

    // The shown window: the leftmost client-width columns; of content taller than the item,
    // the top ItemHeight rows. The image is composed at its full size's coordinates but holds
    // only the shown window: the rest is never seen, and an item of any length costs no more.
    const RECT shown{0, 0, sizes.clientWidth, sizes.itemHeight};
    TBitmap image(std::min(places.imageWidth, sizes.clientWidth), std::min(places.imageHeight, sizes.itemHeight));
    TCanvas& composition = image.Canvas();
    composition.Font().Assign(canvas.Font());
    composition.Brush().Assign(canvas.Brush());
    composition.SetCopyMode(SRCCOPY);

    if (!flat_) {
        if (selected) {
            composition.Brush().SetColor(selectedColor_);
            composition.Font().Assign(selectedFont_);
        }
        if (hot) {
            composition.Brush().SetColor(focusedColor_);
            composition.Font().Assign(focusedFont_);
        }
        // The state fonts are described at 96 DPI like any other; they draw at the control's.
        composition.Font().SetPixelsPerInch(Dpi());
    }
    composition.FillRect(RECT{0, 0, places.imageWidth, places.imageHeight});

    const int x = places.textLeft;
    for (int k = 0; k < sizes.lines && places.textTop + k * sizes.lineHeight < shown.bottom; ++k)
        composition.TextOut(x, places.textTop + k * sizes.lineHeight, std::string(VisibleRun(lines[k], x, shown.right)));

    // An item past the end of the glyphs keeps the glyph's room, showing the background.
    const int glyphIndex = GlyphIndexOf(index);
    if (glyphs_ != nullptr && glyphIndex >= 0 && glyphIndex < glyphs_->Count()) {
        const ItemBox& at = places.glyph;
        TBitmap glyph(sizes.glyphWidth, sizes.glyphHeight);
        glyph.Canvas().Brush().Assign(composition.Brush());
        glyph.Canvas().SetCopyMode(SRCCOPY);
        glyph.Canvas().FillRect(RECT{0, 0, sizes.glyphWidth, sizes.glyphHeight});
        glyphs_->Draw(glyph.Canvas(), 0, 0, glyphIndex);
        const ItemBox& gap = places.gap;
        if (gap.right > gap.left) composition.FillRect(RECT{gap.left, gap.top, gap.right, gap.bottom});
        composition.CopyRect(RECT{at.left, at.top, at.right, at.bottom}, glyph.Canvas(),
                             RECT{0, 0, sizes.glyphWidth, sizes.glyphHeight});
    }

    if (!flat_) {
        if (selected) DrawBorderPass(composition, shown, borderShadow_, borderHighlight_);
        if (hot) DrawBorderPass(composition, shown, borderHighlight_, borderShadow_);
    }

    canvas.FillRect(rect);
    canvas.CopyRect(rect, composition, shown);
    if (flat_ && selected) canvas.DrawFocusRect(rect);
}

void TGraphicListBox::PaintHotItem(bool hot) {
    if (hotItemIndex_ < 0 || hotItemIndex_ >= Items().Count()) return;
    std::uint16_t state = 0;
    if (Selected(hotItemIndex_)) state |= ODS_SELECTED;
    if (hot) state |= ODS_FOCUS;
    const RECT rect = ItemRect(hotItemIndex_);

    // Outside the paint cycle: straight onto the window.
    const window_dc dc(Handle());
    const TCanvasBinding binding(Canvas(), dc.get());
    Canvas().Font().Assign(Font());
    Canvas().Brush().Assign(Brush());
    PaintItem(hotItemIndex_, rect, state);
    // The keyboard's place stays drawn on the item it is at.
    if (::GetFocus() == Handle() && FocusCuesShown() &&
        ::SendMessageA(Handle(), LB_GETCARETINDEX, 0, 0) == hotItemIndex_)
        DrawKeyboardFocus(dc.get(), rect);
}

bool TGraphicListBox::FocusCuesShown() const {
    // The form's: a list outside a form draws no focus at all.
    const TWinControl* root = this;
    while (root->Parent() != nullptr) root = root->Parent();
    const auto* form = dynamic_cast<const TForm*>(root);
    return form != nullptr && form->FocusCuesShown();
}

void TGraphicListBox::DrawKeyboardFocus(HDC dc, const RECT& item) const {
    // Inside the item's border, so that the selected look's frame stays whole.
    RECT inside = item;
    ::InflateRect(&inside, -Scale(2), -Scale(2));
    const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &inside);
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
}

void TGraphicListBox::TrackHotItem() {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(Handle(), &point);
    const int item = ItemAtPos(point, true);
    if (item == hotItemIndex_) return;
    PaintHotItem(false);
    hotItemIndex_ = item;
    PaintHotItem(true);
}

void TGraphicListBox::FillCreateParams(CreateParams& params) const {
    TListBox::FillCreateParams(params);
    params.windowClass.name = "TGraphicListBox";
}

LRESULT TGraphicListBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case Reflected(WM_DRAWITEM): {
        // The system's focus is not the hot look: no system paint reaches PaintItem as hot. The
        // keyboard's place is drawn after the item, only while the focus cues show (Windows'
        // rule: from the first key on, not after the mouse).
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        const bool focus = (item->itemState & ODS_FOCUS) != 0 && FocusCuesShown();
        item->itemState &= ~static_cast<UINT>(ODS_FOCUS);
        const LRESULT result = TListBox::HandleMessage(message, wParam, lParam);
        if (focus && static_cast<int>(item->itemID) >= 0) DrawKeyboardFocus(item->hDC, item->rcItem);
        return result;
    }
    case WM_PAINT:
        // An empty list that has the focus is never handed to the owner on Wine (its list box
        // draws a focus rectangle by itself), so the empty list is painted here.
        if (Items().Count() == 0) {
            PaintEmptyList();
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (Items().Count() == 0) {
            // The system's list box inverts a focus rectangle here at once: paint it away.
            const LRESULT result = TListBox::HandleMessage(message, wParam, lParam);
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            return result;
        }
        break;
    default:
        break;
    }
    return TListBox::HandleMessage(message, wParam, lParam);
}

void TGraphicListBox::PaintEmptyList() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, Brush().Handle());
    ::EndPaint(Handle(), &paint);
}

void TGraphicListBox::DrawItem(int index, const RECT& rect, std::uint16_t state) { PaintItem(index, rect, state); }

void TGraphicListBox::MouseEnter() {
    if (Items().Count() > 0) hotTrackTimer_.SetEnabled(true);
}

void TGraphicListBox::MouseLeave() {
    hotTrackTimer_.SetEnabled(false);
    PaintHotItem(false);
    hotItemIndex_ = -1;
}

}  // namespace rondel
