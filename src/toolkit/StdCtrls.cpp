#include "toolkit/StdCtrls.h"

#include "platform/Win32Handles.h"
#include "text/AnsiText.h"

namespace rondel {

// ---------------------------------------------------------------- TLabel

TLabel::TLabel() = default;

std::string TLabel::Caption() const { return HandleAllocated() ? WindowText(Handle()) : caption_; }

void TLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (HandleAllocated()) ::SetWindowTextA(Handle(), caption.c_str());
}

SIZE TLabel::TextExtent(int maxWidth) const {
    const window_dc screen(nullptr);
    const selected_object chosen(screen.get(), Font().Handle());
    RECT rect{0, 0, maxWidth, 0};
    const std::string text = Caption();
    ::DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE));
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void TLabel::FillCreateParams(CreateParams& params) const {
    params.systemClass = "STATIC";
    params.caption = caption_;
    params.style |= SS_NOPREFIX | (wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

// ---------------------------------------------------------------- TEdit, TMemo

TEdit::TEdit() { SetColor(clWindow); }

std::string TEdit::Text() const { return HandleAllocated() ? WindowText(Handle()) : text_; }

void TEdit::SetText(const std::string& text) {
    text_ = text;
    // Wine's single-line edit draws nothing at all for a text of 512 characters or more; what
    // would be cut off lies hundreds of characters beyond the field's edge.
    if ((EditStyle() & ES_MULTILINE) == 0) CutToLength(text_, kLongestSingleLine);
    if (HandleAllocated()) ::SetWindowTextA(Handle(), text_.c_str());
}

void TEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (HandleAllocated()) ::SendMessageA(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

LRESULT TEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnEscape) {
        const auto* asked = reinterpret_cast<const MSG*>(lParam);
        if (message == WM_GETDLGCODE && asked != nullptr && asked->message == WM_KEYDOWN && asked->wParam == VK_ESCAPE)
            return DefaultHandler(message, wParam, lParam) | DLGC_WANTMESSAGE;
        if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
            OnEscape();
            return 0;
        }
        if (message == WM_CHAR && wParam == VK_ESCAPE) return 0;  // no beep for it
    }
    return TWinControl::HandleMessage(message, wParam, lParam);
}

void TEdit::CommandNotification(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
}

void TEdit::FillCreateParams(CreateParams& params) const {
    params.systemClass = "EDIT";
    params.caption = text_;
    params.style |= EditStyle();
    if (readOnly_) params.style |= ES_READONLY;
    if (tabStop_) params.style |= WS_TABSTOP;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox() { SetColor(clWindow); }

void TComboBox::AddItem(const std::string& text) {
    items_.push_back(text);
    if (HandleAllocated()) ::SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TComboBox::ItemCount() const { return static_cast<int>(items_.size()); }

std::string TComboBox::Item(int index) const {
    return index >= 0 && index < ItemCount() ? items_[static_cast<std::size_t>(index)] : std::string();
}

int TComboBox::ItemIndex() const {
    return HandleAllocated() ? static_cast<int>(::SendMessageA(Handle(), CB_GETCURSEL, 0, 0)) : itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
    itemIndex_ = index;
    if (HandleAllocated()) ::SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TComboBox::FillCreateParams(CreateParams& params) const {
    params.systemClass = "COMBOBOX";
    params.style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
}

void TComboBox::HandleCreated() {
    for (const std::string& item : items_)
        ::SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (itemIndex_ >= 0) ::SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::CommandNotification(WORD code) {
    if (code == CBN_SELCHANGE && OnChange) OnChange();
}

}  // namespace rondel
