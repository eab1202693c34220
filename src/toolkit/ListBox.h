// The toolkit's list box: a single-column system LISTBOX whose items are strings, with the
// owner-draw hook DrawItem for controls that paint their items themselves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/WinControl.h"

namespace rondel {

class TListBox;

// The items: written to the window (LB_ADDSTRING), where the system and other programs read
// them, and kept here, where the program reads them. The program never reads an item back out
// of the window: Wine's "A" conversion of LB_GETTEXT overruns a fixed buffer on items of more
// than 512 characters.
class TListBoxItems {
public:
    explicit TListBoxItems(TListBox& owner) : owner_(owner) {}
    TListBoxItems(const TListBoxItems&) = delete;
    TListBoxItems& operator=(const TListBoxItems&) = delete;

    int Count() const;
    // Empty for an index that is not an item's.
    std::string Get(int index) const;
    std::string operator[](int index) const { return Get(index); }
    // Appends; returns the new item's index.
    int Add(const std::string& text);
    void Clear();
    // Makes the items these texts in place: the items they begin and end with stay as they are,
    // only those between are deleted and inserted, so the list is never empty meanwhile and a
    // list that changed little costs little. The first item shown stays where it was (at most
    // the last one).
    void Assign(const std::vector<std::string>& texts);

private:
    friend class TListBox;
    TListBox& owner_;
    std::vector<std::string> texts_;
};

enum TListBoxStyle {
    lbStandard,        // the system draws the items
    lbOwnerDrawFixed,  // DrawItem draws them, all ItemHeight high
};

class TListBox : public TWinControl {
public:
    TListBox();

    TListBoxItems& Items() { return items_; }
    const TListBoxItems& Items() const { return items_; }
    // -1 for none. Setting it from code raises no OnClick.
    int ItemIndex() const;
    // The first item shown.
    int TopIndex() const;
    void SetTopIndex(int index);
    void SetItemIndex(int index);
    bool Selected(int index) const;
    // In client coordinates.
    RECT ItemRect(int index) const;
    // The item under a client point. With existing, -1 when the point is outside the client
    // area or below the last item; without, the item count there.
    int ItemAtPos(POINT point, bool existing) const;
    int ItemHeight() const { return itemHeight_; }
    // A value that is not positive is ignored.
    void SetItemHeight(int height);

    // The drawing surface of the items: during a paint it is on the DC that the system gives.
    TCanvas& Canvas() { return canvas_; }

    // The selection changed by mouse or keyboard; a double click.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // A character typed in the list (WM_CHAR, a double-byte character as its two bytes); true
    // when it was used, so the system's own search does not see it.
    std::function<bool(char)> OnKeyPress;
    // The context menu asked for: by the right mouse button (at that screen point, the item
    // there already selected as by a click) or by the keyboard (Shift+F10 or the menu key;
    // fromKeyboard, at the selected item).
    std::function<void(POINT screen, bool fromKeyboard)> OnContextPopup;

protected:
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style) { style_ = style; }

    // Paints item index in rect, with the owner-draw state bits (ODS_SELECTED...).
    virtual void DrawItem(int index, const RECT& rect, std::uint16_t state);

    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CommandNotification(WORD code) override;
    // A list made smaller (a window restored from maximised) scrolls its selected item into view.
    void Resized() override;

private:
    void DrawItemNotification(const DRAWITEMSTRUCT& item);
    // WM_CONTEXTMENU's point: (-1, -1) from the keyboard.
    void ContextPopup(LPARAM screenPoint);

    TListBoxItems items_;
    TCanvas canvas_;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 16;
    int pendingIndex_ = -1;
};

}  // namespace rondel
