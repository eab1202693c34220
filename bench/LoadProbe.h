// What the load probe's scenes share: the machine under load, the window's controls read from
// outside, and the scenes themselves (LoadScenes.cpp); RondelLoad.exe runs them (LoadProbe.cpp).
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FixturePaths.h"
#include "RondelWindow.h"
#include "TestService.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"
#include "ui/Unit1.h"

namespace rondel::load {

using namespace rondel::e2e;
using namespace rondel::fixtures;


constexpr int kLoadServices = 5000;
constexpr int kSharedHosts = 4;
const char kLoadDirectory[] = "C:\\RondelLoad";
const std::string kLoadPrefix = std::string(kTestServicePrefix) + "Ld";
// Where a load service's item is in the stopped tab: after Wine's own dozen, in the order of
// the display names.
inline int ItemHint(int service) { return service + 10; }
// List items at 96 DPI (RondelWindow's clicks assume the same).
constexpr int kItemHeight = 46;

inline ULONGLONG Now() { return ::GetTickCount64(); }

// Polls more finely than WaitFor: the scenes act within tens of milliseconds.
inline bool Until(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 5) {
    const ULONGLONG end = Now() + timeoutMs;
    while (!condition()) {
        if (Now() >= end) return false;
        ::Sleep(stepMs);
    }
    return true;
}

inline LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

// The index of the service's item, looked for first around where it was last seen: reading
// 5,000 items back across processes takes seconds. -1 when the list does not hold it.
inline int FindItem(HWND list, const std::string& name, int& hint) {
    const std::string head = "[ " + name + " ]";
    const int count = static_cast<int>(Ask(list, LB_GETCOUNT));
    const auto at = [&](int i) { return i >= 0 && i < count && ListItemText(list, i).rfind(head, 0) == 0; };
    for (int d = 0; d <= 8; ++d) {
        if (at(hint - d)) return hint -= d;
        if (at(hint + d)) return hint += d;
    }
    for (int i = 0; i < count; ++i)
        if (at(i)) return hint = i;
    return -1;
}

inline void PostClick(HWND control, POINT point, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    ::PostMessageA(control, down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageA(control, up, 0, MAKELPARAM(point.x, point.y));
}

// A person's click: the window brought to the front, the pointer moved there and the left
// button pressed and released through the system's input queue.
inline void RealClick(HWND control, POINT point) {
    const HWND root = ::GetAncestor(control, GA_ROOT);
    if (::GetForegroundWindow() != root) ::SetForegroundWindow(root);
    ::ClientToScreen(control, &point);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = (point.x * 65536 + width / 2) / width;
    inputs[0].mi.dy = (point.y * 65536 + height / 2) / height;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(3, inputs, sizeof(INPUT));
}

inline POINT CentreOf(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return {client.right / 2, client.bottom / 2};
}

// A tab's header, where RondelWindow::ChooseTab clicks it.
inline POINT TabHeader(int tab) { return {tab * 180 + 90, 11}; }

inline HWND Visible(const char* windowClass, HWND owner = nullptr) {
    const HWND window = ::FindWindowA(windowClass, nullptr);
    if (window == nullptr || !::IsWindowVisible(window)) return nullptr;
    return owner == nullptr || ::GetWindow(window, GW_OWNER) == owner ? window : nullptr;
}

// Answers any message dialog the window shows (its OK or Yes); how many there were.
inline int AnswerDialogs(const RondelWindow& w) {
    int answered = 0;
    while (const HWND dialog = Visible("TMessageForm")) {
        w.Answer(RondelWindow::Dialog{dialog, {}, {}}, ::GetDlgItem(dialog, IDYES) != nullptr ? IDYES : IDOK);
        if (++answered == 5) break;
    }
    return answered;
}

// Shows the tab with nothing selected, clicking it at moments the window is idle (a refresh
// under way may end showing the tab of the service selected before).
inline bool ShowTab(RondelWindow& w, int tab) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!Until([&] { return w.Idle(); }, 30000)) continue;
        if (w.Tab() == tab && w.Selected() < 0) return true;
        // A click on the tab shown changes nothing: another one first.
        w.ChooseTab(w.Tab() == tab ? (tab + 1) % 3 : tab);
    }
    return w.Tab() == tab && w.Selected() < 0;
}

// A service of the stopped tab, and about where its item is.
struct Pick {
    std::string name;
    int hint;
};

// Shows the stopped tab with the service selected; false when the window would not. The click
// waits for a moment the window is idle: one during a refresh may be lost with it, which the
// choices scene counts and this one must not.
inline bool ShowSelected(RondelWindow& w, Pick& pick) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        AnswerDialogs(w);
        if (w.Tab() != kStoppedTab) ShowTab(w, kStoppedTab);
        if (!Until([&] { return w.Idle(); }, 30000)) continue;
        if (w.Tab() == kStoppedTab && w.Text(kIdServiceName) == pick.name) return true;
        const int index = FindItem(w.Control(kIdList), pick.name, pick.hint);
        if (index < 0 || !w.Idle()) continue;
        ClickListItem(w.Control(kIdList), index);
        if (WaitFor([&] { return w.Idle() && w.Tab() == kStoppedTab && w.Text(kIdServiceName) == pick.name; }, 10000))
            return true;
    }
    return false;
}

inline bool Shown(const RondelWindow& w) { return w.Main() != nullptr && Ask(w.Control(kIdList), LB_GETCOUNT) > 0; }

// One figure on one line, with how long its scene took.
inline void Say(const char* scene, const std::string& figure, ULONGLONG began) {
    std::printf("%s: %s  [%llu s]\n", scene, figure.c_str(), (Now() - began + 500) / 1000);
    std::fflush(stdout);
}

// Waits until seen() holds, or until the window's request under way has ended and graceMs more
// have passed without it (a command put off until then would have come by now); bounded.
inline bool SeenOrSettled(const RondelWindow& w, const std::function<bool()>& seen, DWORD graceMs) {
    ULONGLONG idleAt = 0;
    return Until(
               [&] {
                   if (seen()) return true;
                   if (idleAt == 0 && w.Idle()) idleAt = Now();
                   return idleAt != 0 && Now() - idleAt > graceMs;
               },
               60000, 20) &&
           seen();
}

// 5,012 rather than 5012.
inline std::string Number(long long n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return (n < 0 ? "-" : "") + digits;
}

// Runs a round every periodMs on a thread of its own until destroyed.
class Ticker {
public:
    Ticker(DWORD periodMs, std::function<void()> round) : period_(periodMs), round_(std::move(round)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~Ticker() {
        stop_ = true;
        thread_.join();
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;
    // Waits for the round under way; no other starts until Release.
    void Hold() {
        held_ = true;
        const std::lock_guard<std::mutex> wait(lock_);
    }
    void Release() { held_ = false; }

private:
    void Run() {
        for (ULONGLONG next = Now(); !stop_;) {
            {
                const std::lock_guard<std::mutex> round(lock_);
                if (!held_) round_();
            }
            next += period_;
            const ULONGLONG now = Now();
            if (next > now) ::Sleep(static_cast<DWORD>(next - now));
            else next = now;
        }
    }

    const DWORD period_;
    const std::function<void()> round_;
    std::mutex lock_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> held_{false};
    std::thread thread_;
};

// The machine under load, for the whole run.
class Load {
public:
    Load() {
        const ULONGLONG began = Now();
        if (!Register()) return;
        registeredMs_ = Now() - began;
        if (writer.StartAndWait() != 0 ||
            ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (fixtures::ServiceKeyPath(writer.Name()) + "\\Parameters").c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, parameters_.put(), nullptr) != ERROR_SUCCESS)
            return;
        flapping_ = std::make_unique<Ticker>(300, [this] { Flip(); });
        writing_ = std::make_unique<Ticker>(200, [this] {
            ++ticks_;
            ::RegSetValueExA(parameters_.get(), "Tick", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ticks_),
                             sizeof ticks_);
        });
        ready_ = true;
    }
    ~Load() {
        writing_.reset();
        flapping_.reset();
        unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        for (const std::string& name : names_) {
            unique_schandle service(::OpenServiceA(manager.get(), name.c_str(), DELETE));
            if (service) ::DeleteService(service.get());
        }
    }
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

    bool Ready() const { return ready_; }
    ULONGLONG RegisteredMs() const { return registeredMs_; }
    // The flapping stops with the service settled, for a scene that moves it itself.
    void HoldFlapping() { flapping_->Hold(); }
    void ReleaseFlapping() { flapping_->Release(); }
    // Starts the flapping service when it is stopped, stops it when it runs; waits for it.
    void Flip() {
        if (flapper.State() == SERVICE_STOPPED) flapper.StartAndWait(2000);
        else if (flapper.State() == SERVICE_RUNNING) flapper.StopAndWait(2000);
    }

    TestService flapper{ServiceDefinition(kLoadPrefix + "Flap").Display("負荷 点滅")};
    TestService writer{ServiceDefinition(kLoadPrefix + "Writer").Display("負荷 書き込み")};
    // What the clicks start, and the probe stops again.
    TestService target{ServiceDefinition(kLoadPrefix + "Target").Display("負荷 開始の的")};

private:
    static std::string Own(int i) {
        return std::string(kLoadDirectory) + "\\own\\svc" + std::to_string(i) + ".exe";
    }

    bool Register() {
        ::CreateDirectoryA(kLoadDirectory, nullptr);
        ::CreateDirectoryA((std::string(kLoadDirectory) + "\\shared").c_str(), nullptr);
        ::CreateDirectoryA((std::string(kLoadDirectory) + "\\own").c_str(), nullptr);
        for (int k = 0; k < kSharedHosts; ++k) {
            const std::string host = std::string(kLoadDirectory) + "\\shared\\host" + std::to_string(k) + ".exe";
            if (!::CopyFileA(TestServicePath().c_str(), host.c_str(), FALSE)) return false;
        }
        unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        for (int i = 0; i < kLoadServices; ++i) {
            char number[8];
            std::snprintf(number, sizeof number, "%04d", i);
            std::string image;
            if (i % 5 == 0) {
                if (::GetFileAttributesA(Own(i).c_str()) == INVALID_FILE_ATTRIBUTES &&
                    !::CopyFileA(FixturePath("vi_japanese.exe").c_str(), Own(i).c_str(), FALSE))
                    return false;
                image = "\"" + Own(i) + "\" -service";
            } else {
                image = std::string(kLoadDirectory) + "\\shared\\host" + std::to_string(i % kSharedHosts) +
                        ".exe -k group" + std::to_string(i % 17);
            }
            const std::string name = kLoadPrefix + number;
            const std::string display = "負荷 サービス " + std::string(number);
            unique_schandle service(::CreateServiceA(manager.get(), name.c_str(), display.c_str(), DELETE,
                                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                     SERVICE_ERROR_IGNORE, image.c_str(), nullptr, nullptr, nullptr,
                                                     nullptr, nullptr));
            if (!service) return false;
            names_.push_back(name);
        }
        return true;
    }

    std::vector<std::string> names_;
    unique_hkey parameters_;
    DWORD ticks_ = 0;
    std::unique_ptr<Ticker> flapping_;
    std::unique_ptr<Ticker> writing_;
    ULONGLONG registeredMs_ = 0;
    bool ready_ = false;
};

// The scenes.
void Greyed(RondelWindow& w, Pick& middle);
void Clicks(RondelWindow& w, Load& load);
void Choices(RondelWindow& w, Pick& middle);
void MenuCommands(RondelWindow& w, Pick& middle);
void SaveOnClose();
void Scrolled(RondelWindow& w, Load& load);
void FiveStarts();

}  // namespace rondel::load
