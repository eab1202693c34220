#include "toolkit/ListBox.h"

#include <windowsx.h>

#include <algorithm>

#include <vector>

#include "text/AnsiText.h"

namespace rondel {

namespace {

// Another program (or the system) reading an item back gets at most this many bytes of it: Wine
// carries LB_GETTEXT between its "A" and "W" forms through buffers of 512 characters, and a
// longer answer overruns them and brings this program down.
constexpr std::size_t kLongestItemReadBack = 511;

std::string ReadBack(const TListBoxItems& items, WPARAM index) {
    std::string text = items.Get(static_cast<int>(index));
    CutToLength(text, kLongestItemReadBack);
    return text;
}

// WM_CONTEXTMENU's point when the keyboard asked for the menu.
constexpr LPARAM kFromKeyboard = MAKELPARAM(0xFFFF, 0xFFFF);

}  // namespace

int TListBoxItems::Count() const { return static_cast<int>(texts_.size()); }

std::string TListBoxItems::Get(int index) const {
    return index >= 0 && index < Count() ? texts_[static_cast<std::size_t>(index)] : std::string();
}

int TListBoxItems::Add(const std::string& text) {
    if (owner_.HandleAllocated() &&
        ::SendMessageA(owner_.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
        return -1;  // the window refused it (out of room): it is not an item
    texts_.push_back(text);
    return Count() - 1;
}

void TListBoxItems::Clear() {
    texts_.clear();
    if (owner_.HandleAllocated()) ::SendMessageA(owner_.Handle(), LB_RESETCONTENT, 0, 0);
}

void TListBoxItems::Assign(const std::vector<std::string>& texts) {
    const std::size_t common = std::min(texts.size(), texts_.size());
    std::size_t head = 0;
    while (head < common && texts[head] == texts_[head]) ++head;
    std::size_t tail = 0;
    while (tail < common - head && texts[texts.size() - 1 - tail] == texts_[texts_.size() - 1 - tail]) ++tail;
    const std::size_t removed = texts_.size() - head - tail;
    const std::size_t inserted = texts.size() - head - tail;
    if (removed == 0 && inserted == 0) return;
    const HWND window = owner_.HandleAllocated() ? owner_.Handle() : nullptr;
    const int top = owner_.TopIndex();
    // Many changes at once are drawn once, at the end; nothing in between lets the window paint.
    const bool many = removed + inserted > 8;
    if (window != nullptr && many) ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    for (std::size_t k = 0; k < removed; ++k) {
        if (window != nullptr) ::SendMessageA(window, LB_DELETESTRING, head, 0);
    }
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(head), texts_.begin() + static_cast<std::ptrdiff_t>(head + removed));
    std::size_t at = head;
    for (std::size_t k = head; k < head + inserted; ++k) {
        if (window != nullptr &&
            ::SendMessageA(window, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(texts[k].c_str())) < 0)
            continue;  // the window refused it (out of room): it is not an item
        texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(at), texts[k]);
        ++at;
    }
    if (window == nullptr) return;
    owner_.SetTopIndex(std::min(top, std::max(Count() - 1, 0)));
    if (many) {
        ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

TListBox::TListBox() : items_(*this) { SetColor(clWindow); }

int TListBox::TopIndex() const {
    return HandleAllocated() ? static_cast<int>(::SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0)) : 0;
}

void TListBox::SetTopIndex(int index) {
    if (HandleAllocated()) ::SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

int TListBox::ItemIndex() const {
    if (!HandleAllocated()) return pendingIndex_;
    return static_cast<int>(::SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    pendingIndex_ = index;
    if (HandleAllocated()) ::SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool TListBox::Selected(int index) const {
    if (!HandleAllocated()) return index >= 0 && index == pendingIndex_;
    return ::SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

RECT TListBox::ItemRect(int index) const {
    RECT rect{};
    if (HandleAllocated()) ::SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int TListBox::ItemAtPos(POINT point, bool existing) const {
    const int count = Items().Count();
    RECT client{};
    if (HandleAllocated()) ::GetClientRect(Handle(), &client);
    if (HandleAllocated() && ::PtInRect(&client, point)) {
        const LRESULT hit = ::SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        const int index = static_cast<int>(LOWORD(hit));
        // The system answers with the nearest item; only one whose rectangle holds the point counts.
        if (HIWORD(hit) == 0 && index < count) {
            const RECT item = ItemRect(index);
            if (::PtInRect(&item, point)) return index;
        }
    }
    return existing ? -1 : count;
}

void TListBox::Resized() {
    const int index = ItemIndex();
    const int height = static_cast<int>(::SendMessageA(Handle(), LB_GETITEMHEIGHT, 0, 0));
    if (index < 0 || height <= 0) return;
    const int top = static_cast<int>(::SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
    const int shown = std::max(1, ClientHeight() / height);
    if (index < top) ::SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    else if (index >= top + shown) ::SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index - shown + 1), 0);
}

void TListBox::SetItemHeight(int height) {
    if (height <= 0 || height == itemHeight_) return;
    itemHeight_ = height;
    if (HandleAllocated() && style_ == lbOwnerDrawFixed) {
        ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void TListBox::DrawItem(int index, const RECT& rect, std::uint16_t /*state*/) {
    canvas_.FillRect(rect);
    canvas_.TextOut(rect.left + 2, rect.top, Items().Get(index));
}

void TListBox::FillCreateParams(CreateParams& params) const {
    params.windowClass.name = "TListBox";
    params.windowClass.superclassOf = "LISTBOX";
    params.style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    if (style_ == lbOwnerDrawFixed) params.style |= LBS_OWNERDRAWFIXED;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::HandleCreated() {
    if (style_ == lbOwnerDrawFixed) ::SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight_, 0));
    std::vector<std::string> pending;
    pending.swap(items_.texts_);
    for (const std::string& text : pending) items_.Add(text);
    if (pendingIndex_ >= 0) SetItemIndex(pendingIndex_);
}

LRESULT TListBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case Reflected(WM_DRAWITEM):
        DrawItemNotification(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case Reflected(WM_MEASUREITEM):
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(itemHeight_);
        return TRUE;
    case LB_GETTEXTLEN:
        if (wParam >= static_cast<WPARAM>(items_.Count())) return LB_ERR;
        return static_cast<LRESULT>(ReadBack(items_, wParam).size());
    case LB_GETTEXT: {
        if (wParam >= static_cast<WPARAM>(items_.Count()) || lParam == 0) return LB_ERR;
        const std::string text = ReadBack(items_, wParam);
        std::copy(text.c_str(), text.c_str() + text.size() + 1, reinterpret_cast<char*>(lParam));
        return static_cast<LRESULT>(text.size());
    }
    case WM_CHAR:
        if (OnKeyPress && OnKeyPress(static_cast<char>(wParam))) return 0;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // The menu key opens the menu here, once, on the way down. (Shift+F10 comes as
        // WM_CONTEXTMENU from the system.)
        if (OnContextPopup && wParam == VK_APPS) {
            if (message == WM_KEYDOWN) ContextPopup(kFromKeyboard);
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        if (OnContextPopup) {
            ContextPopup(lParam);
            return 0;
        }
        break;
    default:
        break;
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

void TListBox::ContextPopup(LPARAM screenPoint) {
    if (GET_X_LPARAM(screenPoint) == -1 && GET_Y_LPARAM(screenPoint) == -1) {
        // From the keyboard: under the selected item, or at the list's corner.
        const int selected = ItemIndex();
        RECT at = selected >= 0 ? ItemRect(selected) : RECT{0, 0, 0, 0};
        POINT corner{at.left + 8, selected >= 0 ? at.bottom : 8};
        ::ClientToScreen(Handle(), &corner);
        OnContextPopup(corner, true);
        return;
    }
    POINT screen{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    POINT client = screen;
    ::ScreenToClient(Handle(), &client);
    const int index = ItemAtPos(client, true);
    if (index >= 0 && index != ItemIndex()) {
        SetItemIndex(index);
        if (OnClick) OnClick();
    }
    OnContextPopup(screen, false);
}

void TListBox::CommandNotification(WORD code) {
    if (code == LBN_SELCHANGE && OnClick) OnClick();
    if (code == LBN_DBLCLK && OnDblClick) OnDblClick();
}

void TListBox::DrawItemNotification(const DRAWITEMSTRUCT& item) {
    const TCanvasBinding binding(canvas_, item.hDC);
    canvas_.Font().Assign(Font());
    canvas_.Brush().Assign(Brush());
    if (static_cast<int>(item.itemID) >= 0) DrawItem(static_cast<int>(item.itemID), item.rcItem, LOWORD(item.itemState));
    else canvas_.FillRect(item.rcItem);  // an empty list that has the focus
    if (item.itemState & ODS_FOCUS) canvas_.DrawFocusRect(item.rcItem);
}

}  // namespace rondel
