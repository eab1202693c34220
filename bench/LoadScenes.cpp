// The load probe's scenes: each drives the real window as a person would and prints its figure.
#include "LoadProbe.h"

namespace rondel::load {

// ------------------------------------------------------------------------------------ scenes

// What a person waiting to press 開始 sees.
void Greyed(RondelWindow& w, Pick& middle) {
    const ULONGLONG began = Now();
    if (!ShowSelected(w, middle)) return Say("greyed", "the service could not be selected", began);
    const HWND run = w.Control(kIdRun);
    ULONGLONG greyedMs = 0, longest = 0, stretchBegan = 0;
    unsigned stretches = 0;
    const ULONGLONG start = Now();
    ULONGLONG last = start;
    bool wasGreyed = false;
    while (last - start < 60000) {
        ::Sleep(10);
        const ULONGLONG now = Now();
        const bool greyed = !::IsWindowEnabled(run);
        // A sample stands for the time since the one before.
        if (greyed) greyedMs += now - last;
        if (greyed && !wasGreyed) {
            stretchBegan = last;
            ++stretches;
        }
        if (greyed) longest = std::max(longest, now - stretchBegan);
        wasGreyed = greyed;
        last = now;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%.1f %% of 60 s, longest %s ms (greyed %u times; %s)",
                  100.0 * static_cast<double>(greyedMs) / static_cast<double>(last - start),
                  Number(static_cast<long long>(longest)).c_str(), stretches,
                  w.Text(kIdServiceName) == middle.name ? "the service still selected" : "the selection lost");
    Say("greyed", line, began);
}

// A click on 開始 as the person sees it enabled; one the window then drops is lost.
void Clicks(RondelWindow& w, Load& load) {
    const ULONGLONG began = Now();
    Pick target{load.target.Name(), ItemHint(kLoadServices)};
    if (!ShowSelected(w, target)) return Say("clicks", "the service could not be selected", began);
    // Whether the person's input reaches the window here: a real click on the first tab.
    RealClick(w.Control(kIdTabMain), TabHeader(kRunningTab));
    const bool real = WaitFor([&] { return w.Tab() == kRunningTab; }, 3000);
    int lost = 0, unprepared = 0, unselected = 0;
    unsigned random = 12345;
    for (int k = 0; k < 20; ++k) {
        // A window that never gets there would keep the run waiting for minutes a click.
        if (!ShowSelected(w, target)) {
            unselected = 20 - k;
            break;
        }
        // The person's own moment, then the button as it is then.
        random = random * 1103515245u + 12345u;
        ::Sleep((random >> 16) % 400);
        const HWND run = w.Control(kIdRun);
        if (!Until([&] { return ::IsWindowEnabled(run) != FALSE; }, 30000, 2)) {
            ++unprepared;
            continue;
        }
        if (real) RealClick(run, CentreOf(run));
        else PostClick(run, CentreOf(run));
        // The start reaches the service at once, or once the request under way has ended; a
        // lost click leaves it stopped.
        if (!SeenOrSettled(w, [&] { return load.target.State() != SERVICE_STOPPED; }, 2000)) {
            ++lost;
            continue;
        }
        // Stopped again once the window shows it started, so that it follows it back.
        load.target.WaitForState(SERVICE_RUNNING, 10000);
        WaitFor([&] { return w.Idle() && w.Tab() == kRunningTab && w.Text(kIdServiceName) == target.name; }, 15000);
        load.target.StopAndWait(10000);
    }
    std::string line = std::to_string(lost) + " of " + std::to_string(20 - unprepared - unselected) + " lost (" +
                       (real ? "the mouse through SendInput" : "posted clicks: SendInput did not reach the window");
    if (unprepared > 0) line += "; " + std::to_string(unprepared) + " not made: 開始 not enabled for 30 s";
    if (unselected > 0) line += "; " + std::to_string(unselected) + " not made: the service could not be selected";
    line += ")";
    Say("clicks", line, began);
}

// What the person chose while the lists were read again: still what the window shows after?
void Choices(RondelWindow& w, Pick& middle) {
    const ULONGLONG began = Now();
    const char* kinds[] = {"item", "start type", "tab"};
    int tries[3] = {}, lost[3] = {};
    int late = 0, refused = 0, unprepared = 0;
    unsigned random = 777;
    for (int k = 0; k < 16; ++k) {
        const int kind = k % 3;
        if (!ShowSelected(w, middle)) {
            unprepared += 16 - k;
            break;
        }
        const HWND list = w.Control(kIdList);
        const HWND combo = w.Control(kIdStart);
        // Two items below the selected one: the service the person picks instead.
        const int other = w.Selected() + 2;
        const std::string otherText = ListItemText(list, other);
        const std::string otherName = otherText.size() > 2 ? otherText.substr(2, otherText.find(" ]") - 2) : "";
        w.PostKey(VK_F5);
        if (!Until([&] { return !w.Idle(); }, 2000, 1)) {
            ++unprepared;
            continue;
        }
        random = random * 1103515245u + 12345u;
        ::Sleep((random >> 16) % 60);
        ++tries[kind];
        int otherItem = -1;
        if (kind == 0) {
            ClickListItem(list, other);
        } else if (kind == 1) {
            if (!::IsWindowEnabled(combo)) {
                ++refused;
                ++lost[kind];
                Until([&] { return w.Idle(); }, 60000);
                continue;
            }
            const int shown = static_cast<int>(Ask(combo, CB_GETCURSEL));
            otherItem = shown < 2 ? shown + 1 : shown - 1;
            ::PostMessageA(combo, WM_KEYDOWN, shown < 2 ? VK_DOWN : VK_UP, 1);
        } else {
            PostClick(w.Control(kIdTabMain), TabHeader(kRunningTab));
        }
        ::Sleep(20);
        if (w.Idle()) ++late;
        Until([&] { return w.Idle(); }, 60000);
        ::Sleep(200);
        // 更新 waits while a later refresh runs: the start type is kept when it shows with 更新
        // enabled at the next moment the window is idle.
        const bool kept = Until(
            [&] {
                if (kind == 0)
                    return w.Text(kIdServiceName) == otherName &&
                           ListItemText(list, w.Selected()).rfind("[ " + otherName + " ]", 0) == 0;
                if (kind == 1) return Ask(combo, CB_GETCURSEL) == otherItem && w.Enabled(kIdUpdate);
                return w.Tab() == kRunningTab;
            },
            kind == 1 ? 3000 : 0);
        if (!kept) ++lost[kind];
    }
    std::string line = std::to_string(lost[0] + lost[1] + lost[2]) + " of " +
                       std::to_string(tries[0] + tries[1] + tries[2]) + " lost (";
    for (int kind = 0; kind < 3; ++kind)
        line += std::string(kind > 0 ? ", " : "") + kinds[kind] + " " + std::to_string(lost[kind]) + "/" +
                std::to_string(tries[kind]);
    if (refused > 0) line += "; the drop-down list disabled " + std::to_string(refused) + " times";
    if (late > 0) line += "; " + std::to_string(late) + " made after the refresh had ended";
    if (unprepared > 0)
        line += "; " + std::to_string(unprepared) + " not made: the service not selected or no refresh begun";
    Say("choices during a refresh", line + ")", began);
}

// A command of the menu, opened while the window was idle, chosen once a refresh has begun.
void MenuCommands(RondelWindow& w, Pick& middle) {
    const ULONGLONG began = Now();
    int carried = 0, refused = 0, dropped = 0, unprepared = 0, quiet = 0;
    for (int k = 0; k < 4; ++k) {
        const bool save = k % 2 == 1;
        const HWND list = w.Control(kIdList);
        if (!ShowSelected(w, middle)) {
            unprepared += 4 - k;
            break;
        }
        const int row = w.Selected() - static_cast<int>(Ask(list, LB_GETTOPINDEX));
        PostClick(list, {60, row * kItemHeight + kItemHeight / 2}, WM_RBUTTONDOWN, WM_RBUTTONUP);
        if (!Until([] { return Visible("#32768") != nullptr; }, 5000)) {
            ++unprepared;
            continue;
        }
        // The services keep changing: a refresh begins while the menu is open.
        if (!Until([&] { return !w.Idle(); }, 10000, 1)) ++quiet;
        ::PostMessageA(list, WM_CHAR, save ? 'l' : 'd', 1);
        HWND shown = nullptr;
        SeenOrSettled(w, [&] {
            shown = save ? Visible("#32770", w.Main()) : Visible("TForm2");
            return shown != nullptr || Visible("TMessageForm") != nullptr;
        }, 3000);
        if (shown != nullptr) {
            ++carried;
            ::PostMessageA(shown, save ? WM_COMMAND : WM_CLOSE, save ? IDCANCEL : 0, 0);
            Until([&] { return !::IsWindow(shown) || !::IsWindowVisible(shown); }, 10000);
        } else if (AnswerDialogs(w) > 0) {
            ++refused;
        } else {
            ++dropped;
        }
        if (Visible("#32768") != nullptr) ::PostMessageA(w.Main(), WM_CANCELMODE, 0, 0);
    }
    std::string line = std::to_string(dropped) + " of " + std::to_string(4 - unprepared) + " dropped without a word (" +
                       std::to_string(carried) + " carried out, " + std::to_string(refused) + " refused with a dialog";
    if (quiet > 0) line += "; in " + std::to_string(quiet) + " no refresh began while the menu was open";
    if (unprepared > 0)
        line += "; " + std::to_string(unprepared) + " not made: the service not selected or no menu";
    Say("menu commands", line + ")", began);
}

static long long Lines(const std::string& text) {
    long long lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    return lines;
}

// Asks the window for its save dialog through the list's menu; the dialog, or null when the
// command never showed it.
static HWND OpenSaveDialog(const RondelWindow& w) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (!Until([&] { return w.Idle(); }, 30000)) continue;
        const HWND list = w.Control(kIdList);
        ::PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        if (!Until([] { return Visible("#32768") != nullptr; }, 5000)) continue;
        ::PostMessageA(list, WM_CHAR, 'l', 1);
        HWND dialog = nullptr;
        if (Until([&] { return (dialog = Visible("#32770", w.Main())) != nullptr; }, 5000, 20)) return dialog;
        AnswerDialogs(w);
    }
    return nullptr;
}

// The window closed as soon as a save has begun: the file is the whole list, or missing.
void SaveOnClose() {
    const ULONGLONG began = Now();
    const std::string reference = TemporaryFile("rondel-load-reference.csv");
    if (RunAndWait("\"" + BuildDirectory() + "RondelList.exe\" --csv --output \"" + reference + "\"", 120000) != 0)
        return Say("save on close", "RondelList.exe wrote no reference", began);
    const long long expected = Lines(Contents(reference));
    int lost = 0, unprepared = 0, asked = 0;
    std::string seen;
    for (int k = 0; k < 4; ++k) {
        RondelWindow w;
        const std::string file = TemporaryFile("rondel-load-save" + std::to_string(k) + ".csv");
        const HWND dialog = Shown(w) ? OpenSaveDialog(w) : nullptr;
        HWND name = dialog != nullptr ? ::GetDlgItem(dialog, 1148) : nullptr;  // the file name's box
        if (name == nullptr && dialog != nullptr) name = ::GetDlgItem(dialog, 1152);
        if (name == nullptr) {
            ++unprepared;
            continue;
        }
        ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        Until([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 5000, 1);
        ::PostMessageA(w.Main(), WM_CLOSE, 0, 0);
        // A program that says something on closing is answered.
        Until([&] {
            asked += AnswerDialogs(w);
            return ::WaitForSingleObject(w.Process(), 0) == WAIT_OBJECT_0;
        }, 30000, 20);
        const std::string saved = Contents(file);
        const long long lines = Lines(saved);
        const bool whole = saved.rfind("\xEF\xBB\xBFtab,service name,", 0) == 0 && lines == expected &&
                           saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0;
        if (!whole) ++lost;
        const bool exists = ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        seen += (k > 0 ? ", " : "") + (exists ? Number(lines) + " lines" : std::string("no file"));
        ::DeleteFileA(file.c_str());
    }
    ::DeleteFileA(reference.c_str());
    std::string line = std::to_string(lost) + " of " + std::to_string(4 - unprepared) + " lost (" + seen +
                       "; whole: " + Number(expected) + " lines";
    if (asked > 0) line += "; " + std::to_string(asked) + " dialogs on closing answered";
    if (unprepared > 0) line += "; " + std::to_string(unprepared) + " saves never began";
    Say("save on close", line + ")", began);
}

// Reads the list's item count and top index every 10 ms on a thread of its own.
class ListReader {
public:
    explicit ListReader(HWND list) : list_(list), top_(Ask(list, LB_GETTOPINDEX)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                const LRESULT count = Ask(list_, LB_GETCOUNT);
                const LRESULT top = Ask(list_, LB_GETTOPINDEX);
                if (count >= 0) smallest_ = std::min(smallest_, count);
                if (top >= 0 && top != top_) {
                    ++moved_;
                    otherTop_ = top;
                }
                ++samples_;
                ::Sleep(10);
            }
        });
    }
    ~ListReader() { Stop(); }
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    LRESULT Smallest() const { return smallest_; }
    LRESULT Top() const { return top_; }
    LRESULT OtherTop() const { return otherTop_; }
    unsigned Moved() const { return moved_; }
    unsigned Samples() const { return samples_; }

private:
    const HWND list_;
    const LRESULT top_;
    LRESULT smallest_ = 1 << 30;
    LRESULT otherTop_ = -1;
    unsigned moved_ = 0;
    unsigned samples_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The lists read again while the person looks at the middle of the stopped tab: does the list
// empty or jump meanwhile?
void Scrolled(RondelWindow& w, Load& load) {
    const ULONGLONG began = Now();
    load.HoldFlapping();
    // The stopped tab with nothing selected: a selection could scroll it on its own.
    if (!ShowTab(w, kStoppedTab)) {
        load.ReleaseFlapping();
        return Say("live refreshes while scrolled", "the stopped tab could not be shown", began);
    }
    const HWND list = w.Control(kIdList);
    // The stopped tab's count with the flapping service stopped, and with it running.
    WaitFor([&] { return w.Idle(); }, 30000);
    const bool stoppedFirst = load.flapper.State() == SERVICE_STOPPED;
    const LRESULT withIt = Ask(list, LB_GETCOUNT) + (stoppedFirst ? 0 : 1);
    Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(withIt / 2));
    std::vector<ULONGLONG> follows;
    ListReader reader(list);
    for (int k = 0; k < 20; ++k) {
        const LRESULT before = Ask(list, LB_GETCOUNT);
        load.Flip();
        const ULONGLONG changed = Now();
        const LRESULT expected = load.flapper.State() == SERVICE_STOPPED ? withIt : withIt - 1;
        // A count that already was the new one means the window missed the change before.
        const auto followed = [&] { return Ask(list, LB_GETCOUNT) == expected && w.Idle(); };
        if (before != expected && Until(followed, 30000, 10)) follows.push_back(Now() - changed);
        ::Sleep(300);
    }
    reader.Stop();
    load.ReleaseFlapping();
    std::sort(follows.begin(), follows.end());
    std::string line = "smallest count " + Number(reader.Smallest()) + " (the tab holds " + Number(withIt - 1) +
                       " or " + Number(withIt) + "), the top index ";
    if (reader.Moved() == 0)
        line += "never changed (" + Number(reader.Top()) + ")";
    else
        line += "changed in " + std::to_string(reader.Moved()) + " of " + std::to_string(reader.Samples()) +
                " samples (" + Number(reader.Top()) + ", then " + Number(reader.OtherTop()) + ")";
    line += "; " + std::to_string(follows.size()) + " of 20 followed";
    if (!follows.empty())
        line += ", median " + Number(static_cast<long long>(follows[follows.size() / 2])) + " ms";
    Say("live refreshes while scrolled", line, began);
}

static BOOL CALLBACK CountForm(HWND window, LPARAM found) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "TForm1" && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// Five starts at once: one window stays, the others hand over to it and end.
void FiveStarts() {
    const ULONGLONG began = Now();
    std::string counts, programs;
    for (int round = 0; round < 3; ++round) {
        std::vector<PROCESS_INFORMATION> started;
        for (int k = 0; k < 5; ++k) {
            std::string line = "\"" + BuildDirectory() + "Rondel.exe\"";
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION process{};
            if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process))
                started.push_back(process);
        }
        const auto running = [&] {
            int alive = 0;
            for (const PROCESS_INFORMATION& p : started)
                alive += ::WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT;
            return alive;
        };
        Until([&] { return running() <= 1; }, 30000, 50);
        ::Sleep(2000);  // a window still coming shows by now
        std::vector<HWND> windows;
        ::EnumWindows(CountForm, reinterpret_cast<LPARAM>(&windows));
        counts += (round > 0 ? ", " : "") + std::to_string(windows.size());
        programs += (round > 0 ? ", " : "") + std::to_string(running());
        for (const HWND window : windows) ::PostMessageA(window, WM_CLOSE, 0, 0);
        for (const PROCESS_INFORMATION& p : started) {
            if (::WaitForSingleObject(p.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(p.hProcess, 99);
            ::CloseHandle(p.hThread);
            ::CloseHandle(p.hProcess);
        }
    }
    Say("one window from five starts", counts + " windows (" + programs + " programs running)", began);
}

}  // namespace rondel::load
