#include "DialogAnswer.h"

#include <vector>

namespace rondel::testing {

namespace {

DialogAnswer* g_current = nullptr;

struct ThreadDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (::IsWindowVisible(window) && (std::string(name) == "TMessageForm" || std::string(name) == "#32770")) {
        reinterpret_cast<ThreadDialog*>(parameter)->found = window;
        return FALSE;
    }
    return TRUE;
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

DialogAnswer::DialogAnswer(Action action, int argument) : action_(action), argument_(argument) {
    g_current = this;
    timer_ = ::SetTimer(nullptr, 0, 30, &DialogAnswer::Tick);
}

DialogAnswer::~DialogAnswer() {
    ::KillTimer(nullptr, timer_);
    g_current = nullptr;
}

void CALLBACK DialogAnswer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_current == nullptr || g_current->answered_) return;
    ThreadDialog search;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) g_current->Answer(search.found);
}

void DialogAnswer::Answer(HWND dialog) {
    answered_ = true;
    seen_.shown = true;
    char name[64] = {};
    ::GetClassNameA(dialog, name, sizeof name);
    seen_.windowClass = name;
    seen_.caption = TextOf(dialog);
    ::GetClientRect(dialog, &seen_.client);
    const HWND focus = ::GetFocus();
    seen_.focusedId = focus != nullptr ? ::GetDlgCtrlID(focus) : 0;
    std::vector<HWND> buttons;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char kind[64] = {};
        ::GetClassNameA(child, kind, sizeof kind);
        const std::string childClass = kind;
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (childClass == "Static" || childClass == "STATIC") {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                seen_.hasIcon = true;
                seen_.icon = ChildRect(dialog, child);
            } else if (seen_.text.empty() && !TextOf(child).empty()) {
                seen_.text = TextOf(child);
                seen_.label = ChildRect(dialog, child);
            }
        } else if (childClass == "Button" || childClass == "BUTTON") {
            buttons.push_back(child);
        }
    }
    for (HWND button : buttons) seen_.buttons += (seen_.buttons.empty() ? "" : "|") + TextOf(button);

    switch (action_) {
    case ClickButton:
        if (HWND button = ::GetDlgItem(dialog, argument_)) ::PostMessageA(button, BM_CLICK, 0, 0);
        break;
    case PressEscape:
        ::PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
    case PressEnter:
        ::PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        break;
    case CloseBox:
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case PressAltKey:
        ::PostMessageA(focus != nullptr ? focus : dialog, WM_SYSCHAR, static_cast<WPARAM>(argument_), 0x20000001);
        break;
    }
}

}  // namespace rondel::testing
