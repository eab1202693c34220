// The standard controls of the forms, each the system's own window class: labels (STATIC),
// edit fields and memos (EDIT), drop-down lists (COMBOBOX).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/WinControl.h"

namespace rondel {

// A line of text. It keeps the size it is given: a longer text is cut at the right edge rather
// than moving what stands beside it. With WordWrap it breaks into lines instead.
class TLabel : public TWinControl {
public:
    TLabel();
    const char* ClassName() const override { return "TLabel"; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap) { wordWrap_ = wrap; }
    // The size the caption needs in the label's font: one line, or lines of at most maxWidth.
    SIZE TextExtent(int maxWidth) const;

protected:
    void FillCreateParams(CreateParams& params) const override;

private:
    std::string caption_;
    bool wordWrap_ = false;
};

// A one-line edit field. Read-only fields take their parent's colour and no tab stop.
class TEdit : public TWinControl {
public:
    // The longest text a single-line field takes, in bytes; a longer one is cut there.
    static constexpr std::size_t kLongestSingleLine = 511;

    TEdit();
    const char* ClassName() const override { return "TEdit"; }

    std::string Text() const;
    void SetText(const std::string& text);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    // The user changed the text.
    std::function<void()> OnChange;
    // When set, Esc in the field is the field's own: it is handed here, never to the form's
    // cancel button.
    std::function<void()> OnEscape;

protected:
    void FillCreateParams(CreateParams& params) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CommandNotification(WORD code) override;
    virtual DWORD EditStyle() const { return ES_AUTOHSCROLL; }

private:
    std::string text_;
    bool readOnly_ = false;
    bool tabStop_ = true;
};

// A multi-line edit field with a vertical scroll bar.
class TMemo : public TEdit {
public:
    const char* ClassName() const override { return "TMemo"; }

protected:
    DWORD EditStyle() const override { return ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL; }
};

// A drop-down list (COMBOBOX, CBS_DROPDOWNLIST). Only the user's choice raises OnChange: an
// item index set from code does not.
class TComboBox : public TWinControl {
public:
    TComboBox();
    const char* ClassName() const override { return "TComboBox"; }

    void AddItem(const std::string& text);
    int ItemCount() const;
    std::string Item(int index) const;
    // -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string Text() const { return Item(ItemIndex()); }

    std::function<void()> OnChange;

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    void CommandNotification(WORD code) override;

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

}  // namespace rondel
