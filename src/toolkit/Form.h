// A form: a top-level window of the dialog manager's kind, with a caption, the program's icon,
// a minimum size, an accelerator table, a default button (Enter) and cancel buttons (Esc), shown
// modeless or modally.
//
// The keyboard works the system's way: each message of the loop goes first to the form's
// accelerators (TranslateAcceleratorA), then to IsDialogMessageA, which turns Tab, the arrow
// keys, Alt+letter, Enter and Esc into focus moves and clicks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Win32Handles.h"
#include "toolkit/WinControl.h"

namespace rondel {

class TButton;

// The modal results of the buttons, as the message dialog and the forms report them.
enum TModalResult : int {
    mrNone = 0,
    mrOk = IDOK,
    mrCancel = IDCANCEL,
    mrAbort = IDABORT,
    mrRetry = IDRETRY,
    mrIgnore = IDIGNORE,
    mrYes = IDYES,
    mrNo = IDNO,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

enum TFormBorderStyle {
    bsSizeable,  // a resizable window with caption, system menu, minimise and maximise boxes
    bsDialog,    // a fixed dialog frame with caption and close box
};

class TForm : public TWinControl {
public:
    // className: the window class the form registers ("TForm1"...).
    explicit TForm(std::string className);
    ~TForm() override;

    const char* ClassName() const override { return "TForm"; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The window's icons, big and small, from the program's icon resource.
    void SetIconResource(int resourceId);
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    // The window a modal form stays above and disables while it runs.
    void SetOwnerWindow(HWND owner) { owner_ = owner; }
    // The smallest outer size the window may take, at 96 DPI (scaled to the window's DPI).
    void SetMinimumSize(int width, int height);
    void CenterOnScreen();

    // Keys that raise OnCommand with their command id.
    void SetAccelerators(const std::vector<ACCEL>& keys);
    // A command of the accelerator table or of a menu the form owns (ids other than IDOK and
    // IDCANCEL, which are the dialog manager's Enter and Esc).
    std::function<void(WORD id)> OnCommand;

    // Esc clicks the first of these, in order, that is enabled and visible.
    void AddCancelButton(TButton& button);
    // Esc does this instead, when it is set.
    std::function<void()> OnCancel;
    // Enter clicks it (unless the focus is on another button).
    void SetDefaultButton(TButton& button);
    // The control that gets the focus when the form is shown, and gets it back whenever the
    // control that has it is disabled or hidden (else the next stop of the Tab order does).
    void SetActiveControl(TWinControl& control) { activeControl_ = &control; }

    // Shows the error through the general error handler once the form's message loop runs,
    // that is after what the form was doing is on the screen.
    void ShowErrorLater(const std::string& message);

    // A tooltip for one control of the form: one tooltip window serves them all.
    void SetHint(TWinControl& control, const std::string& hint);

    void Show(int showCommand = SW_SHOWNORMAL);
    // Runs until a button with a modal result is clicked or the form is closed; the owner is
    // disabled meanwhile. Returns the modal result (mrCancel when the form was just closed).
    int ShowModal();
    bool Modal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // A modal form ends its run with mrCancel; a modeless one goes. The main form's going ends
    // the program's message loop.
    void Close();
    void SetMainForm(bool main) { mainForm_ = main; }

    // Accelerators, then the dialog manager; true when the message was handled.
    bool PreTranslateMessage(MSG& message);
    // The keyboard's place is shown (focus rectangles): from the first key on, until a mouse
    // button. Kept by the form itself (Wine 8 keeps no such state), and told to the system's
    // controls through WM_CHANGEUISTATE.
    bool FocusCuesShown() const { return focusCuesShown_; }
    // Hands the message to the form that the window it is for belongs to.
    static bool PreTranslate(MSG& message);

protected:
    void FillCreateParams(CreateParams& params) const override;
    void HandleCreated() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Resized() override;
    HWND ParentWindowHandle() const override { return owner_; }

    // The form's own handlers, run when its window is resized (not minimised) and when the
    // keyboard's Esc finds no cancel button.
    virtual void FormResize() {}
    // The system's colours or its high-contrast setting changed while the form is open.
    virtual void SystemColorsChanged() {}

private:
    void FocusUsableControl();
    // The focus cues (focus rectangles) shown from a key on, hidden again by a mouse button.
    void FollowFocusCues(const MSG& message);
    void ClickCancelButton();
    void ClickDefaultButton();

    std::string className_;
    TFormBorderStyle borderStyle_ = bsSizeable;
    HWND owner_ = nullptr;
    SIZE minimum_{0, 0};
    unique_hicon bigIcon_;
    unique_hicon smallIcon_;
    unique_haccel accelerators_;
    std::vector<TButton*> cancelButtons_;
    TButton* defaultButton_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    unique_hwnd tooltip_;
    std::string pendingError_;
    bool modal_ = false;
    int modalResult_ = mrNone;
    bool mainForm_ = false;
    bool shown_ = false;
    bool focusCuesShown_ = false;
};

// The program's message loop: runs until WM_QUIT.
int RunMessageLoop();

}  // namespace rondel
