// Push buttons: the system's BUTTON, with a caption whose "&" marks the Alt+letter key, an
// OnClick event and a modal result; TBitBtn adds a glyph beside the caption, drawn by the
// button itself from an image list that has a picture for each of its states.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/Win32Handles.h"
#include "toolkit/ImageList.h"
#include "toolkit/WinControl.h"

namespace rondel {

class TButton : public TWinControl {
public:
    TButton();
    const char* ClassName() const override { return "TButton"; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // Clicking sets the form's modal result to this, which ends a modal run (0: no result).
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // What a click by the user does: OnClick, then the modal result.
    virtual void Click();
    std::function<void()> OnClick;

protected:
    void FillCreateParams(CreateParams& params) const override;
    void CommandNotification(WORD code) override;

private:
    std::string caption_;
    int modalResult_ = 0;
};

enum TBitBtnKind {
    bkCustom,
    bkClose,  // "閉じる(&C)" with the close glyph; a click closes the form
};

class TBitBtn : public TButton {
public:
    TBitBtn();
    const char* ClassName() const override { return "TBitBtn"; }

    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    // The glyph from a bitmap resource holding numGlyphs pictures side by side: the normal one,
    // then (with two) the disabled one. Magenta pixels are transparent.
    void SetGlyphResource(const char* resourceName, int numGlyphs);
    int NumGlyphs() const { return glyphs_ ? numGlyphs_ : 0; }
    // The button's image list: one picture per button state, normal to stylus-hot, made for the
    // window's DPI once the window exists.
    const TImageList* Glyphs() const { return glyphs_.get(); }

    void Click() override;
    void ChangeDpi(int dpi) override;

protected:
    void HandleCreated() override;

private:
    void ApplyGlyph();

    TBitBtnKind kind_ = bkCustom;
    std::string glyphResource_;
    std::shared_ptr<const TImageList> glyphs_;  // the run's pictures of this glyph, shared by its buttons
    int glyphsDpi_ = 0;
    int numGlyphs_ = 0;
};

// The glyph resource of the close kind.
inline constexpr const char* kCloseGlyphResource = "GLYPH_CLOSE";

}  // namespace rondel
