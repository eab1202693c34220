// Rondel.exe started for one test and driven from outside as a user would: clicks on tabs,
// items and buttons, keys, answers to its dialogs; and read back through the controls' own
// messages. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Unit1.h"

namespace rondel::e2e {

// The text of another process's window, asked in UTF-16 (Wine answers "A" requests across
// processes in UTF-16) and given back in code page 932.
std::string RemoteText(HWND window);

// Polls until condition holds; false when it did not within timeoutMs.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// A control by its id, anywhere below a window.
HWND ControlOf(HWND root, int id);
// In the client coordinates of the control's parent.
RECT BoundsOf(HWND control);

// The items of another process's graphic list box, and the index of a service's item.
std::vector<std::string> ListItems(HWND list);
std::string ListItemText(HWND list, int index);

// A file of that name in the temporary directory, deleted first; a file's whole content ("" when
// it cannot be read).
std::string TemporaryFile(const std::string& name);
std::string Contents(const std::string& path);
int ListItemOf(HWND list, const std::string& serviceName);
// Scrolls the item into view and clicks it.
void ClickListItem(HWND list, int index);
// The item's centre on the screen, once the list shows it: scrolled into view with clicks on
// the list's scroll arrows, as a person would. {-1, -1} when it could not be shown.
POINT ItemCentre(HWND list, int index);
// The icon's opaque pixels (those that look the same on any background) are on the screen
// where the list draws item index's glyph.
bool ListShowsIcon(HWND list, int index, HICON icon);

// Runs a command line and waits at most timeoutMs for it: its exit code, 0xFFFFFFFF when it did
// not start, 0xFFFFFFFE when it did not end in time.
DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs);

// Starts Rondel.exe and waits at most timeoutMs for it to end: its exit code, or 0xFFFFFFFF when
// it was still running (it is ended then).
DWORD RunRondel(DWORD timeoutMs);

// A person's input, given through SendInput as the mouse would: the pointer moved to the point
// (screen coordinates, absolute over the virtual screen) and a button pressed there and let go.
// The window under the pointer gets it, whichever process asks.
void ClickAt(POINT screen);
void RightClickAt(POINT screen);
// At the centre of the control as it lies on the screen.
POINT CentreOf(HWND control);
void ClickAt(HWND control);
void RightClickAt(HWND control);

// The list's menu shows (or has gone), within a few seconds.
bool MenuShows(bool shows);

// The clipboard's text in both formats, the Unicode one given back in code page 932.
std::pair<std::string, std::string> ClipboardTexts();
void ClearClipboard();

// The window's following of the services turned off while it lives, for a test that changes
// services behind the window's back on purpose (HKCU\Software\Rondel WatchInterval 0).
struct NotFollowing {
    NotFollowing();
    ~NotFollowing();
    NotFollowing(const NotFollowing&) = delete;
    NotFollowing& operator=(const NotFollowing&) = delete;
};

// The control shows something on the screen: its client area, or that part of it, is not all
// one colour.
bool ShowsSomething(HWND control);
bool ShowsSomething(HWND control, const RECT& part);

class RondelWindow {
public:
    // Starts Rondel.exe and waits for its main window and its lists.
    RondelWindow();
    // Closes it (WM_CLOSE) and waits for its end; a program that does not end is ended.
    ~RondelWindow();
    RondelWindow(const RondelWindow&) = delete;
    RondelWindow& operator=(const RondelWindow&) = delete;

    HWND Main() const { return main_; }
    // The status bar's notice, without the time at its right end.
    std::string Status() const;
    // No request is under way: the status bar shows its notice, or what the last request did.
    bool Idle() const;
    HANDLE Process() const { return process_.hProcess; }
    // A control by its id, anywhere in the window.
    HWND Control(int id) const { return ControlOf(main_, id); }
    std::string Text(int id) const;
    bool Enabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
    // In the client coordinates of the control's parent.
    RECT Bounds(int id) const { return BoundsOf(Control(id)); }

    int Tab() const;
    // The item index selected in the list, -1 for none.
    int Selected() const;
    std::vector<std::string> Items() const;
    // The index of the service's item in the list shown, -1 when it is not there.
    int ItemOf(const std::string& serviceName) const { return ListItemOf(Control(kIdList), serviceName); }
    // The same once the list shown holds it (the lists are read on a worker and follow the
    // services); -1 when it did not within timeoutMs.
    int WaitForItem(const std::string& serviceName, DWORD timeoutMs = 15000) const;
    // Where a click shows the tab: the middle of its part of the strip, in the strip's client
    // coordinates.
    POINT TabCentre(int tab) const;

    // A click on the tab; waits until the tab shows.
    bool ChooseTab(int tab);
    // A click on the service's item in the list shown; waits until its details show.
    bool Select(const std::string& serviceName);
    void Click(int id) const;
    // A key pressed while the list has the focus.
    void PostKey(UINT key) const;
    // The list's menu opened from the keyboard on the selected item, and its item with this
    // underlined letter chosen; false when the menu did not show or go.
    bool ChooseFromMenu(char letter) const;
    // Keys pressed together on the keyboard (modifiers first) while the window is in front;
    // released in the reverse order.
    void Press(std::initializer_list<WORD> keys) const;
    // The control of the window's thread that has the keyboard focus.
    HWND Focus() const;

    // The message dialog the program shows now or within the time-out; its caption and text.
    struct Dialog {
        HWND window = nullptr;
        std::string caption;
        std::string text;
    };
    Dialog WaitForDialog(DWORD timeoutMs = 30000) const;
    // Clicks one of its buttons and waits until it is gone.
    bool Answer(const Dialog& dialog, int buttonId) const;

    // What the window shows: tab, selection, the details and which buttons can be pressed.
    struct State {
        int tab = -1;
        int selected = -1;
        std::vector<std::string> texts;
        std::vector<bool> enabled;
        bool operator==(const State&) const = default;
    };
    State Look() const;

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

}  // namespace rondel::e2e
