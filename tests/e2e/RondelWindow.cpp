#include "RondelWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <tuple>

#include "FixturePaths.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"
#include "ui/Unit1.h"

namespace rondel::e2e {

namespace {

constexpr DWORD kAnswerTimeout = 10000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeout, &result)) return -1;
    return static_cast<LRESULT>(result);
}

std::string ToAnsi(const std::wstring& wide) { return platform::FromWide(wide, platform::kCodePage932); }

struct ById {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK FindById(HWND child, LPARAM parameter) {
    auto* search = reinterpret_cast<ById*>(parameter);
    if (::GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

void PostClickAt(HWND window, int x, int y) {
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// SendInput's absolute coordinates run from 0 to 65535 over the virtual screen, and the system
// takes a pixel as origin + value * extent / 65536: the smallest value that lands on it.
LONG Normalised(LONG pixel, int origin, int extent) {
    return static_cast<LONG>((static_cast<LONGLONG>(pixel - origin) * 65536 + extent - 1) / extent);
}

INPUT MouseInput(POINT screen, DWORD buttons) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(screen.x, ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = Normalised(screen.y, ::GetSystemMetrics(SM_YVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    return input;
}

void ClickWith(POINT screen, DWORD down, DWORD up) {
    // The pointer comes first, as a hand brings it: the window under it sees it arrive (hot
    // tracking, the pointer's shape) before the button goes down.
    INPUT move = MouseInput(screen, 0);
    ::SendInput(1, &move, sizeof(INPUT));
    WaitFor([&] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
    }, 2000);
    INPUT press[] = {MouseInput(screen, down), MouseInput(screen, up)};
    ::SendInput(2, press, sizeof(INPUT));
}

}  // namespace

std::string RemoteText(HWND window) {
    const LRESULT length = Ask(window, WM_GETTEXTLENGTH);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return ToAnsi(text);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() >= end) return false;
        ::Sleep(50);
    }
    return true;
}

HWND ControlOf(HWND root, int id) {
    ById search{id};
    if (root != nullptr) ::EnumChildWindows(root, FindById, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT BoundsOf(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string ListItemText(HWND list, int index) {
    // LB_GETTEXT takes no buffer size, and the window may give the item another text between the
    // two questions (its lists change items in place): a text that grew meanwhile must not write
    // past the buffer, so the buffer is far larger than the length first told.
    const LRESULT length = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return {};
    thread_local std::vector<wchar_t> buffer;
    buffer.resize(std::max<std::size_t>(buffer.size(), static_cast<std::size_t>(length) * 2 + 65536));
    const LRESULT copied = Ask(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied <= 0) return {};
    return ToAnsi(std::wstring(buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(copied), buffer.size())));
}

std::string TemporaryFile(const std::string& name) {
    char directory[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + name;
    ::DeleteFileA(path.c_str());
    return path;
}

std::string Contents(const std::string& path) {
    unique_file file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? ::GetFileSize(file.get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (file && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.clear();
    return bytes;
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = Ask(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) items.push_back(ListItemText(list, static_cast<int>(i)));
    return items;
}

int ListItemOf(HWND list, const std::string& serviceName) {
    const std::vector<std::string> items = ListItems(list);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].rfind("[ " + serviceName + " ]", 0) == 0) return static_cast<int>(i);
    return -1;
}

void ClickListItem(HWND list, int index) {
    Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(index));
    const int top = static_cast<int>(Ask(list, LB_GETTOPINDEX));
    PostClickAt(list, 60, (index - top) * 46 + 23);
}

POINT ItemCentre(HWND list, int index) {
    const LRESULT height = Ask(list, LB_GETITEMHEIGHT);
    const LRESULT count = Ask(list, LB_GETCOUNT);
    RECT client{};
    ::GetClientRect(list, &client);
    if (height <= 0 || index < 0 || index >= count) return POINT{-1, -1};
    const int shown = std::max(1, static_cast<int>(client.bottom / height));
    // One line per click on an arrow of the scroll bar, which lies right of the client area.
    const int arrowWidth = ::GetSystemMetrics(SM_CXVSCROLL), arrowHeight = ::GetSystemMetrics(SM_CYVSCROLL);
    for (LRESULT clicks = 0; clicks <= count; ++clicks) {
        const int top = static_cast<int>(Ask(list, LB_GETTOPINDEX));
        if (index >= top && index < top + shown) {
            POINT centre{client.right / 2, (index - top) * static_cast<int>(height) + static_cast<int>(height) / 2};
            ::ClientToScreen(list, &centre);
            return centre;
        }
        POINT arrow{client.right + arrowWidth / 2, index < top ? arrowHeight / 2 : client.bottom - arrowHeight / 2};
        ::ClientToScreen(list, &arrow);
        ClickAt(arrow);
        if (!WaitFor([&] { return Ask(list, LB_GETTOPINDEX) != top; }, 2000)) break;
    }
    return POINT{-1, -1};
}

void ClickAt(POINT screen) { ClickWith(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void RightClickAt(POINT screen) { ClickWith(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

POINT CentreOf(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ClickAt(HWND control) { ClickAt(CentreOf(control)); }

void RightClickAt(HWND control) { RightClickAt(CentreOf(control)); }

std::pair<std::string, std::string> ClipboardTexts() {
    std::pair<std::string, std::string> texts;
    if (!::OpenClipboard(nullptr)) return texts;
    if (HANDLE ansi = ::GetClipboardData(CF_TEXT)) {
        texts.first = static_cast<const char*>(::GlobalLock(ansi));
        ::GlobalUnlock(ansi);
    }
    if (HANDLE wide = ::GetClipboardData(CF_UNICODETEXT)) {
        texts.second = ToAnsi(static_cast<const wchar_t*>(::GlobalLock(wide)));
        ::GlobalUnlock(wide);
    }
    ::CloseClipboard();
    return texts;
}

void ClearClipboard() {
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    ::CloseClipboard();
}

NotFollowing::NotFollowing() {
    const DWORD off = 0;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Rondel", "WatchInterval", REG_DWORD, &off, sizeof off);
}

NotFollowing::~NotFollowing() { ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Rondel"); }

bool ListShowsIcon(HWND list, int index, HICON icon) {
    Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(index));
    ::UpdateWindow(list);
    ::Sleep(200);
    const int top = static_cast<int>(Ask(list, LB_GETTOPINDEX));
    POINT origin{2, (index - top) * 46 + 7};
    ::ClientToScreen(list, &origin);
    HDC screen = ::GetDC(nullptr);
    unique_hdc memory(::CreateCompatibleDC(screen));
    unique_hbitmap shot(::CreateCompatibleBitmap(screen, 32, 32));
    unique_hbitmap white(::CreateCompatibleBitmap(screen, 32, 32));
    unique_hbitmap black(::CreateCompatibleBitmap(screen, 32, 32));
    const HGDIOBJ previous = ::SelectObject(memory.get(), shot.get());
    ::BitBlt(memory.get(), 0, 0, 32, 32, screen, origin.x, origin.y, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    const auto read = [&](std::vector<COLORREF>& into) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) into.push_back(::GetPixel(memory.get(), x, y));
    };
    std::vector<COLORREF> seen, onWhite, onBlack;
    read(seen);
    const RECT all{0, 0, 32, 32};
    for (auto [bitmap, brush, into] : {std::tuple{white.get(), WHITE_BRUSH, &onWhite},
                                       std::tuple{black.get(), BLACK_BRUSH, &onBlack}}) {
        ::SelectObject(memory.get(), bitmap);
        ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(brush)));
        ::DrawIconEx(memory.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        read(*into);
    }
    ::SelectObject(memory.get(), previous);
    int opaque = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (onWhite[i] != onBlack[i]) continue;
        ++opaque;
        if (seen[i] != onWhite[i]) return false;
    }
    return opaque > 100;
}

namespace {

bool StartRondel(PROCESS_INFORMATION& process) {
    std::string line = "\"" + fixtures::BuildDirectory() + "Rondel.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != FALSE;
}

}  // namespace

DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    if (::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

DWORD RunRondel(DWORD timeoutMs) {
    PROCESS_INFORMATION process{};
    if (!StartRondel(process)) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
    else ::TerminateProcess(process.hProcess, 99);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

bool ShowsSomething(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return ShowsSomething(control, client);
}

bool ShowsSomething(HWND control, const RECT& part) {
    ::Sleep(200);  // painted by now
    POINT origin{part.left, part.top};
    ::ClientToScreen(control, &origin);
    HDC screen = ::GetDC(nullptr);
    const COLORREF first = ::GetPixel(screen, origin.x, origin.y);
    bool more = false;
    for (int y = 0; y < part.bottom - part.top && !more; ++y)
        for (int x = 0; x < part.right - part.left && !more; x += 2)
            more = ::GetPixel(screen, origin.x + x, origin.y + y) != first;
    ::ReleaseDC(nullptr, screen);
    return more;
}

RondelWindow::RondelWindow() {
    // A program still closing from the test before would take this start over; one still there
    // after that was left by a test program that ended abnormally, and is ended.
    if (!WaitFor([] { return ::FindWindowA("TForm1", nullptr) == nullptr; }, 10000)) {
        DWORD leftId = 0;
        ::GetWindowThreadProcessId(::FindWindowA("TForm1", nullptr), &leftId);
        if (const HANDLE left = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, leftId)) {
            ::TerminateProcess(left, 99);
            ::WaitForSingleObject(left, 5000);
            ::CloseHandle(left);
        }
    }
    if (!StartRondel(process_)) return;
    WaitFor([&] { return (main_ = ::FindWindowA("TForm1", nullptr)) != nullptr && ::IsWindowVisible(main_); }, 30000);
    // The window shows at once; its lists fill once the services have been read.
    WaitFor([&] { return Idle(); }, 30000);
}

std::string RondelWindow::Status() const {
    const std::string text = Text(kIdStatusBar);
    return text.substr(0, text.find('\t'));
}

bool RondelWindow::Idle() const {
    // Under way, the status bar says what is being done, ending in "…"; else its notice or what
    // the last request did.
    const std::string status = Status();
    return !status.empty() && !status.ends_with("…");
}

RondelWindow::~RondelWindow() {
    if (process_.hProcess == nullptr) return;
    if (main_ != nullptr) ::PostMessageA(main_, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(process_.hProcess, 99);
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

std::string RondelWindow::Text(int id) const { return RemoteText(Control(id)); }

int RondelWindow::Tab() const { return static_cast<int>(Ask(Control(kIdTabMain), TCM_GETCURSEL)); }

int RondelWindow::Selected() const { return static_cast<int>(Ask(Control(kIdList), LB_GETCURSEL)); }

std::vector<std::string> RondelWindow::Items() const { return ListItems(Control(kIdList)); }

int RondelWindow::WaitForItem(const std::string& serviceName, DWORD timeoutMs) const {
    int index = -1;
    WaitFor([&] { return (index = ItemOf(serviceName)) >= 0; }, timeoutMs);
    return index;
}

// The tabs are of one fixed width, 180 pixels at 96 DPI.
POINT RondelWindow::TabCentre(int tab) const { return POINT{tab * 180 + 90, 11}; }

bool RondelWindow::ChooseTab(int tab) {
    const POINT centre = TabCentre(tab);
    PostClickAt(Control(kIdTabMain), centre.x, centre.y);
    return WaitFor([&] { return Tab() == tab && Selected() == -1 && Text(kIdServiceName).empty(); });
}

bool RondelWindow::Select(const std::string& serviceName) {
    const int index = ItemOf(serviceName);
    if (index < 0) return false;
    ClickListItem(Control(kIdList), index);
    if (!WaitFor([&] { return Selected() == index && Text(kIdServiceName) == serviceName; })) return false;
    // The service's state comes with its details, read on the window's worker: until the status
    // bar says it, the commands follow the state the lists were read with. (A service whose
    // state cannot be read never says it.)
    WaitFor([&] {
        const std::string text = Text(kIdStatusBar);
        const std::size_t tabs = text.find("\t\t");
        return tabs != std::string::npos && text.compare(tabs + 2, std::string("最終更新").size(), "最終更新") != 0;
    }, 5000);
    return true;
}

void RondelWindow::Click(int id) const { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }

bool MenuShows(bool shows) {
    return WaitFor([&] {
        HWND popup = ::FindWindowA("#32768", nullptr);
        return (popup != nullptr && ::IsWindowVisible(popup)) == shows;
    });
}

bool RondelWindow::ChooseFromMenu(char letter) const {
    ::PostMessageA(Control(kIdList), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(kIdList)), MAKELPARAM(-1, -1));
    if (!MenuShows(true)) return false;
    ::PostMessageA(Control(kIdList), WM_CHAR, static_cast<WPARAM>(letter), 1);
    return MenuShows(false);
}

void RondelWindow::PostKey(UINT key) const {
    ::PostMessageA(Control(kIdList), WM_KEYDOWN, key, 0x00000001);
}

void RondelWindow::Press(std::initializer_list<WORD> keys) const {
    HWND front = ::GetForegroundWindow();
    if (front == nullptr || ::GetAncestor(front, GA_ROOTOWNER) != ::GetAncestor(main_, GA_ROOTOWNER))
        ::SetForegroundWindow(main_);
    std::vector<INPUT> inputs;
    for (const WORD key : keys) inputs.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*key, 0, KEYEVENTF_KEYUP, 0, 0}}});
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND RondelWindow::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info) ? info.hwndFocus : nullptr;
}

RondelWindow::Dialog RondelWindow::WaitForDialog(DWORD timeoutMs) const {
    Dialog dialog;
    if (!WaitFor([&] { return (dialog.window = ::FindWindowA("TMessageForm", nullptr)) != nullptr &&
                              ::IsWindowVisible(dialog.window); },
                 timeoutMs))
        return Dialog{};
    dialog.caption = RemoteText(dialog.window);
    for (HWND child = ::GetWindow(dialog.window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char kind[32] = {};
        ::GetClassNameA(child, kind, sizeof kind);
        if (std::string(kind) != "Static" || (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        dialog.text = RemoteText(child);
        break;
    }
    return dialog;
}

bool RondelWindow::Answer(const Dialog& dialog, int buttonId) const {
    ::PostMessageA(::GetDlgItem(dialog.window, buttonId), BM_CLICK, 0, 0);
    return WaitFor([&] { return !::IsWindow(dialog.window) || !::IsWindowVisible(dialog.window); });
}

RondelWindow::State RondelWindow::Look() const {
    State state{Tab(), Selected(), {}, {}};
    for (int id : {kIdServiceName, kIdDisplayName, kIdCompany, kIdDescription, kIdFileName, kIdMemo, kIdStart})
        state.texts.push_back(Text(id));
    for (int id : {kIdRun, kIdStop, kIdSleep, kIdReRun, kIdUpdate, kIdDepend, kIdStart})
        state.enabled.push_back(Enabled(id));
    return state;
}

}  // namespace rondel::e2e
