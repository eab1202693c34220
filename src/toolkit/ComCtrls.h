// The common controls of the forms: the tab control (SysTabControl32) and the status bar
// (msctls_statusbar32).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/ImageList.h"
#include "toolkit/WinControl.h"

namespace rondel {

// Tabs with a picture each from Images (tab i shows image i). Only the user's choice raises
// OnChange: a tab index set from code does not.
class TTabControl : public TWinControl {
public:
    TTabControl();
    const char* ClassName() const override { return "TTabControl"; }

    void AddTab(const std::string& caption);
    int TabCount() const { return static_cast<int>(tabs_.size()); }
    int TabIndex() const;
    void SetTabIndex(int index);
    // Not owned; must outlive the control.
    void SetImages(const TImageList* images);
    void SetHotTrack(bool hot) { hotTrack_ = hot; }
    // Every tab this wide and high.
    void SetTabSize(int width, int height);
    void ChangeDpi(int dpi) override;
    // The page under the tabs, in the control's client coordinates.
    RECT DisplayRect() const;

    std::function<void()> OnChange;

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void InsertTab(int index);

    std::vector<std::string> tabs_;
    int tabIndex_ = 0;
    const TImageList* images_ = nullptr;
    bool hotTrack_ = false;
    SIZE tabSize_{0, 0};
};

// A status bar with one simple panel showing a line of text.
class TStatusBar : public TWinControl {
public:
    const char* ClassName() const override { return "TStatusBar"; }

    std::string SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& text);

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    // The grip follows the right end (the bar is drawn anew, no old grip stays behind) and
    // shows only while the window can be sized by it: never while it is maximised.
    void Resized() override;
    // The window's text is the simple text, for screen readers and automation.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::string simpleText_;
};

}  // namespace rondel
