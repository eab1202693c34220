// The base of every window of the toolkit: a C++ object bound to its window, with the
// messages unpacked into typed handlers. Windows of the program's own classes are bound at
// WM_NCCREATE; the system's controls (EDIT, BUTTON, STATIC...) keep their own class, so that
// screen readers and automation tools see them for what they are, and are subclassed right
// after they are made.
//
// A parent passes the notifications that concern one of its controls (owner drawing, command
// notifications, colours) back to that control as Reflected(message), so that each control
// handles its own and the forms get that for free. No exception leaves the window procedure:
// it goes to the application's general error handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/Brush.h"
#include "toolkit/Color.h"
#include "toolkit/DpiScale.h"
#include "toolkit/Font.h"
#include "toolkit/Messages.h"
#include "toolkit/WindowClass.h"

namespace rondel {

class TTimer;

// Text of a window of this process, whatever its length.
std::string WindowText(HWND window);

// The pixels per inch a window is shown at: GetDpiForWindow where the system has it (Windows
// 10 1607 and later, Wine), else the screen's LOGPIXELSY.
int WindowDpi(HWND window);

constexpr UINT Reflected(UINT message) { return kReflectedBase + message; }

class TWinControl {
public:
    TWinControl();
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;
    virtual ~TWinControl();

    // The toolkit object of a window of one of the program's classes, or null.
    static TWinControl* FromHandle(HWND window);

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Makes the window: a child of parent, or a top-level window when parent is null.
    void CreateHandle(HWND parent);
    // Makes the window under the parent control set with SetParent (top-level without one),
    // then the windows of its child controls, in the order they were given their parent.
    void CreateHandle();
    void DestroyHandle();

    // The control this one lives in; its window is made inside the parent's.
    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl& parent);
    // The same, with the child-window id the control's window gets.
    void SetParent(TWinControl& parent, int controlId) {
        SetParent(parent);
        SetControlId(controlId);
    }
    // The form (top-level control) this control belongs to; itself for a top-level control.
    TWinControl& Root();

    // The child-window id (GetDlgCtrlID). 0: one is given when the window is made.
    int ControlId() const { return controlId_; }
    void SetControlId(int id) { controlId_ = id; }

    // The toolkit's name of the control's kind ("TLabel", "TImage"...), as the forms ask it.
    virtual const char* ClassName() const { return "TWinControl"; }

    // Controls that show no text of their own carry it as their window text, so that a test
    // or a screen reader can tell them apart.
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);

    // Outer bounds, in the parent's client coordinates (the screen's for a top-level window).
    int Left() const { return Bounds().left; }
    int Top() const { return Bounds().top; }
    int Width() const { return Bounds().right - Bounds().left; }
    int Height() const { return Bounds().bottom - Bounds().top; }
    // move false: only remembered (a layout batch moves the window).
    void SetBounds(int left, int top, int width, int height, bool move = true);
    int ClientWidth() const;
    int ClientHeight() const;

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The background; changing it repaints.
    TColor Color() const { return brush_.Color(); }
    void SetColor(TColor color);
    const TBrush& Brush() const { return brush_; }
    // Changing the font's attributes hands the new font to the window.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }

    // The pixels per inch the control is laid out for: its window's once it has one, else the
    // screen's. Its font is made for them.
    int Dpi() const { return font_.PixelsPerInch(); }
    // A layout number written for 96 DPI, at the control's DPI.
    int Scale(int value) const { return ScaleForDpi(value, Dpi()); }
    // The control and its children are shown at dpi from now on: their fonts, and what else
    // each kind of control draws in pixels, follow; their bounds are scaled by dpi / Dpi().
    virtual void ChangeDpi(int dpi);

protected:
    struct CreateParams {
        WindowClassInfo windowClass;
        // A system class (EDIT, BUTTON...) to make the window of, as it is; the toolkit then
        // subclasses that one window. Empty: a window of windowClass.
        std::string systemClass;
        std::string caption;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
    };
    virtual void FillCreateParams(CreateParams& params) const = 0;
    // The window the control's window is made in: the parent control's, or, for a top-level
    // window, its owner (none by default).
    virtual HWND ParentWindowHandle() const { return parent_ != nullptr ? parent_->Handle() : nullptr; }
    // The window exists now: hand it what was set before.
    virtual void HandleCreated() {}

    // The thin switch: unpacks and calls the handlers below; everything else goes to
    // DefaultHandler.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The class's fallback: the system control's own procedure, or DefWindowProcA.
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void Resized() {}
    // A command notification of this control (LBN_SELCHANGE...), passed back by the parent.
    virtual void CommandNotification(WORD /*code*/) {}

    // Sends a message to the form's window that this control belongs to.
    LRESULT SendToForm(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class TTimer;

    void Bind(HWND window);
    void Subclass(HWND window);
    void Unbind(HWND window);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    RECT Bounds() const;
    // Sends Reflected(message) to child when it is one of ours; false for any other window.
    bool Reflect(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT ControlColor(HDC dc);
    void TrackMouse();
    void EraseBackground(HDC dc);
    void FireTimer(UINT_PTR id);

    HWND handle_ = nullptr;
    WNDPROC fallback_ = ::DefWindowProcA;
    bool ownClass_ = true;
    bool subclassed_ = false;
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;
    int controlId_ = 0;
    std::string name_;
    RECT bounds_{0, 0, 0, 0};
    bool visible_ = true;
    bool enabled_ = true;
    bool mouseInside_ = false;
    TBrush brush_{clBtnFace};
    TFont font_;
    std::vector<TTimer*> timers_;
};

}  // namespace rondel
