// Answers the next modal dialog this thread shows (the program's message dialog, or a standard
// message box): while the dialog's own message loop runs, a thread timer finds it, writes down
// what it shows, and then answers it as a user would.
#pragma once

#include <windows.h>

#include <string>

namespace rondel::testing {

struct DialogSeen {
    bool shown = false;
    std::string windowClass;
    std::string caption;
    std::string text;       // the message: the first static with text
    bool hasIcon = false;   // an SS_ICON static
    RECT icon{};            // in the dialog's client coordinates
    RECT label{};
    RECT client{};
    std::string buttons;    // the button captions, "|"-separated, left to right
    int focusedId = 0;      // the control with the focus when it was found
};

class DialogAnswer {
public:
    enum Action { ClickButton, PressEscape, PressEnter, CloseBox, PressAltKey };
    // buttonId for ClickButton; the letter for PressAltKey.
    explicit DialogAnswer(Action action, int argument = IDOK);
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    const DialogSeen& Seen() const { return seen_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Answer(HWND dialog);

    Action action_;
    int argument_;
    UINT_PTR timer_ = 0;
    bool answered_ = false;
    DialogSeen seen_;
};

}  // namespace rondel::testing
