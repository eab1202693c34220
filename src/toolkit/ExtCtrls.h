// Panels, bevels and images: STATIC windows of the system. A panel holds other controls and
// passes their notifications to them; a bevel is a sunken frame; an image shows an icon or a
// bitmap and tells clicks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/Win32Handles.h"
#include "toolkit/WinControl.h"

namespace rondel {

class TPanel : public TWinControl {
public:
    TPanel();
    const char* ClassName() const override { return "TPanel"; }

protected:
    void FillCreateParams(CreateParams& params) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A sunken one-pixel frame, kept beneath its siblings so that what it frames shows.
class TBevel : public TWinControl {
public:
    const char* ClassName() const override { return "TBevel"; }

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
};

class TImage : public TWinControl {
public:
    // kind: SS_ICON or SS_BITMAP.
    explicit TImage(DWORD kind = SS_ICON);
    const char* ClassName() const override { return "TImage"; }

    // Shows a copy of the icon (the image owns it); null shows nothing.
    void SetIcon(HICON icon);
    HICON Icon() const { return icon_.get(); }
    // Shows a bitmap resource of the program, by name, stretched to the image's DPI.
    void SetBitmapResource(const char* name);
    HBITMAP Bitmap() const { return bitmap_.get(); }

    std::function<void()> OnClick;
    void ChangeDpi(int dpi) override;

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void CommandNotification(WORD code) override;

private:
    DWORD kind_;
    std::string bitmapResource_;
    unique_hicon icon_;
    unique_hbitmap bitmap_;
};

}  // namespace rondel
