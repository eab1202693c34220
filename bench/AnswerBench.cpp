// RondelAnswers.exe: how long the real Rondel.exe goes without answering while another process
// keeps it waiting, measured from outside as the issue of a frozen window was seen.
//
// Each scene starts Rondel.exe, waits for its lists, and sends WM_NULL to its main window with
// SendMessageTimeout (100 ms) every 100 ms from a thread of its own while the scene plays. A gap
// runs from a send until the window answers it (a send that timed out: until a later one is
// answered). It prints the longest gap of each scene, and how long a second start takes while
// a request waits, and how soon the window shows and answers with this prefix's services.
// The scenes need the test prefix's manager time-out of 3 s (tests/wine/prefix.reg).
#include <windows.h>
#include <ddeml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "RondelWindow.h"
#include "TestService.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

using namespace rondel;
using namespace rondel::e2e;
using namespace rondel::fixtures;

namespace {

// Sends WM_NULL to the window every 100 ms from its own thread and keeps the longest gap.
class GapMeter {
public:
    explicit GapMeter(HWND window) : window_(window) {
        thread_ = ::CreateThread(nullptr, 0, &GapMeter::Run, this, 0, nullptr);
    }
    ~GapMeter() { Stop(); }
    // Stops measuring; the longest gap in milliseconds.
    ULONGLONG Stop() {
        if (thread_ != nullptr) {
            stop_ = true;
            ::WaitForSingleObject(thread_, INFINITE);
            ::CloseHandle(thread_);
            thread_ = nullptr;
        }
        return longest_;
    }
    unsigned Sends() const { return sends_; }

private:
    static DWORD WINAPI Run(void* parameter) {
        auto* self = static_cast<GapMeter*>(parameter);
        ULONGLONG unansweredSince = 0;
        for (ULONGLONG next = ::GetTickCount64(); !self->stop_; next += 100) {
            DWORD_PTR result = 0;
            const ULONGLONG sent = ::GetTickCount64();
            const bool answered =
                ::SendMessageTimeoutA(self->window_, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
            const ULONGLONG now = ::GetTickCount64();
            ++self->sends_;
            const ULONGLONG since = unansweredSince != 0 ? unansweredSince : sent;
            self->longest_ = std::max(self->longest_, now - since);
            unansweredSince = answered ? 0 : since;
            const ULONGLONG after = ::GetTickCount64();
            if (next > after) ::Sleep(static_cast<DWORD>(next - after));
            else next = after;
        }
        return 0;
    }

    HWND window_;
    HANDLE thread_ = nullptr;
    volatile bool stop_ = false;
    ULONGLONG longest_ = 0;
    unsigned sends_ = 0;
};

std::string Named(const char* name) { return std::string(kTestServicePrefix) + name; }

void Report(const char* scene, ULONGLONG gap, const std::string& more = {}) {
    std::printf("%-44s longest gap %5llu ms%s\n", scene, gap, more.empty() ? "" : ("  " + more).c_str());
    std::fflush(stdout);
}

// Answers the dialog the request ends with; what it said.
std::string AnswerDialog(const RondelWindow& w, int button, DWORD timeoutMs = 30000) {
    const RondelWindow::Dialog dialog = w.WaitForDialog(timeoutMs);
    if (dialog.window == nullptr) return "(no dialog)";
    w.Answer(dialog, button);
    return dialog.text;
}

void StopHangs() {
    TestService hung(ServiceDefinition(Named("AbHung")).Display("計測 停止せず").Arguments("--hang-stop"));
    if (hung.StartAndWait() != 0) return Report("stop: the service could not be started", 0);
    RondelWindow w;
    w.Select(hung.Name());
    GapMeter meter(w.Main());
    w.Click(kIdStop);
    WaitFor([&] { return !w.Idle(); }, 5000);
    const ULONGLONG begin = ::GetTickCount64();
    const DWORD second = RunRondel(5000);
    const ULONGLONG secondMs = ::GetTickCount64() - begin;
    const std::string said = AnswerDialog(w, IDOK);
    Report("stop of a service whose handler hangs", meter.Stop(),
           "(" + said + "; a second start meanwhile ended in " + std::to_string(secondMs) + " ms, code " +
               std::to_string(second) + ")");
    hung.WaitForState(SERVICE_STOPPED, 15000);  // before any other control reaches it
}

void StartNeverDispatches() {
    TestService deaf(ServiceDefinition(Named("AbDeaf")).Display("計測 応答なし").Arguments("--no-dispatcher"));
    RondelWindow w;
    w.ChooseTab(2);
    w.Select(deaf.Name());
    GapMeter meter(w.Main());
    w.Click(kIdRun);
    const std::string said = AnswerDialog(w, IDOK);
    Report("start of a service that never dispatches", meter.Stop(), "(" + said + ")");
}

void SilentBrowser() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string record = std::string(temp) + "rondel-answers-browser.txt";
    std::string line = "\"" + FixturePath("FakeBrowser.exe") + "\" \"" + record + "\" 30000 --silent";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION browser{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &browser))
        return Report("home page: the fake browser could not be started", 0);
    ::Sleep(2000);  // until its DDE service answers
    RondelWindow w;
    GapMeter meter(w.Main());
    const HWND banner = w.Control(kIdLink);
    ::PostMessageA(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::PostMessageA(banner, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    AnswerDialog(w, IDYES);
    const ULONGLONG begin = ::GetTickCount64();
    WaitFor([&] { return !w.Idle(); }, 3000);
    WaitFor([&] { return w.Idle(); }, 30000);
    const ULONGLONG opening = ::GetTickCount64() - begin;
    Report("home page with a browser that never answers", meter.Stop(),
           "(the opener took " + std::to_string(opening) + " ms on the worker)");
    ::TerminateProcess(browser.hProcess, 0);
    ::CloseHandle(browser.hThread);
    ::CloseHandle(browser.hProcess);
    ::DeleteFileA(record.c_str());
}

void ManyDependencies() {
    ServiceBatch batch(Named("AbDep"), 500);
    TestService many(ServiceDefinition(Named("AbMany")).Display("計測 依存五百").DependsOn(batch.Names()));
    RondelWindow w;
    w.ChooseTab(2);
    w.Select(many.Name());
    GapMeter meter(w.Main());
    const ULONGLONG begin = ::GetTickCount64();
    w.Click(kIdDepend);
    HWND form = nullptr;
    WaitFor([&] { return (form = ::FindWindowA("TForm2", nullptr)) != nullptr && ::IsWindowVisible(form); }, 60000);
    const ULONGLONG opening = ::GetTickCount64() - begin;
    ::Sleep(500);
    const LRESULT listed = ::SendMessageA(ControlOf(form, kIdDependTo), LB_GETCOUNT, 0, 0);
    Report("dependencies window of 500 dependencies", meter.Stop(),
           "(" + std::to_string(listed) + " listed, open after " + std::to_string(opening) + " ms)");
    ::PostMessageA(form, WM_CLOSE, 0, 0);
    WaitFor([] { return ::FindWindowA("TForm2", nullptr) == nullptr; });
}

void ManyRefreshes() {
    RondelWindow w;
    GapMeter meter(w.Main());
    for (int k = 0; k < 300; ++k) {
        w.PostKey(VK_F5);
        ::Sleep(20);
    }
    WaitFor([&] { return w.Idle(); }, 30000);
    Report("300 presses of F5, 20 ms apart", meter.Stop());
}

// 200 selection changes in the stopped tab of 1,016 services: clicks (SendInput) on items spread
// over the long list, each as soon as the window shows the one before selected. The list is
// scrolled to each item as its scroll bar's thumb would, and the item lands on another row each
// time, so that no two clicks make a double click.
void ManySelections() {
    ServiceBatch batch(Named("AbSel"), 1000);
    if (batch.CreateError() != 0) return Report("selections: the services could not be registered", 0);
    ::Sleep(3000);  // the manager and the registry settle after so many new services
    RondelWindow w;
    w.ChooseTab(2);
    const HWND list = w.Control(kIdList);
    std::vector<std::string> names;
    for (const std::string& item : ListItems(list)) names.push_back(item.substr(2, item.find(" ]") - 2));
    const int count = static_cast<int>(names.size());
    RECT client{};
    ::GetClientRect(list, &client);
    const int rows = std::max(1, static_cast<int>(client.bottom / ::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)));
    if (count < 1000) return Report("selections: the stopped tab holds too few services", 0);
    GapMeter meter(w.Main());
    const ULONGLONG begin = ::GetTickCount64();
    int shown = 0;
    for (int k = 0; k < 200; ++k) {
        const int index = (k * 211 + 7) % count;
        ::SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, index - k % rows)), 0);
        ClickAt(ItemCentre(list, index));
        const ULONGLONG end = ::GetTickCount64() + 10000;
        while (w.Text(kIdServiceName) != names[static_cast<std::size_t>(index)] && ::GetTickCount64() < end) ::Sleep(1);
        if (w.Text(kIdServiceName) == names[static_cast<std::size_t>(index)]) ++shown;
    }
    const ULONGLONG took = ::GetTickCount64() - begin;
    Report("200 selections by click among 1,016 services", meter.Stop(),
           "(" + std::to_string(shown) + " shown selected, " + std::to_string(took) + " ms in all, " +
               std::to_string(took / 200) + " ms each)");
}

// The window closed while a restart waits for its service to stop: how soon the window goes,
// how long the program stays to carry the restart through, and where the service ends up.
void CloseDuringARestart() {
    TestService slow(ServiceDefinition(Named("AbSlow")).Display("計測 再起動中に閉じる").Arguments("--linger-stop=3000"));
    if (slow.StartAndWait() != 0) return Report("restart: the service could not be started", 0);
    RondelWindow w;
    w.Select(slow.Name());
    ::PostMessageA(w.Main(), WM_COMMAND, kCmdRestart, 0);
    WaitFor([&] { return slow.State() == SERVICE_STOP_PENDING; }, 5000);
    const ULONGLONG begin = ::GetTickCount64();
    ::PostMessageA(w.Main(), WM_CLOSE, 0, 0);
    WaitFor([&] { return !::IsWindow(w.Main()); }, 10000);
    const ULONGLONG gone = ::GetTickCount64() - begin;
    ::WaitForSingleObject(w.Process(), 30000);
    const ULONGLONG ended = ::GetTickCount64() - begin;
    const DWORD state = slow.State();
    std::printf("%-44s window gone after %llu ms, program ended after %llu ms, the service %s\n",
                "closing the window while a restart waits", gone, ended,
                state == SERVICE_RUNNING ? "running" : ("in state " + std::to_string(state)).c_str());
    std::fflush(stdout);
}

// From the start of Rondel.exe to its window visible and answering, and to its lists shown.
struct Seen {
    ULONGLONG start = 0;
    ULONGLONG answering = 0;
};

DWORD WINAPI WatchForTheWindow(void* parameter) {
    auto* seen = static_cast<Seen*>(parameter);
    while (::GetTickCount64() - seen->start < 60000) {
        HWND window = ::FindWindowA("TForm1", nullptr);
        DWORD_PTR result = 0;
        if (window != nullptr && ::IsWindowVisible(window) &&
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result)) {
            seen->answering = ::GetTickCount64() - seen->start;
            return 0;
        }
        ::Sleep(5);
    }
    return 1;
}

// Medians of five starts.
void StartUp(const char* what) {
    std::vector<ULONGLONG> answering, listed;
    LRESULT items = 0;
    for (int round = 0; round < 5; ++round) {
        Seen seen{::GetTickCount64(), 0};
        HANDLE watcher = ::CreateThread(nullptr, 0, &WatchForTheWindow, &seen, 0, nullptr);
        const RondelWindow w;  // returns once the lists show
        listed.push_back(::GetTickCount64() - seen.start);
        ::WaitForSingleObject(watcher, 60000);
        ::CloseHandle(watcher);
        answering.push_back(seen.answering);
        items = ::SendMessageA(w.Control(kIdList), LB_GETCOUNT, 0, 0);
    }
    std::sort(answering.begin(), answering.end());
    std::sort(listed.begin(), listed.end());
    std::printf("%-44s window answering after %5llu ms, lists shown after %5llu ms (%ld in the first tab)\n", what,
                answering[2], listed[2], static_cast<long>(items));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> scenes(argv + 1, argv + argc);
    const auto wanted = [&](const char* scene) {
        return scenes.empty() || std::find(scenes.begin(), scenes.end(), scene) != scenes.end();
    };
    RemoveServicesWithPrefix(kTestServicePrefix);
    if (wanted("stop")) StopHangs();
    if (wanted("start")) StartNeverDispatches();
    if (wanted("browser")) SilentBrowser();
    if (wanted("dependencies")) ManyDependencies();
    if (wanted("refresh")) ManyRefreshes();
    if (wanted("selections")) ManySelections();
    if (wanted("closing")) CloseDuringARestart();
    if (wanted("startup")) {
        StartUp("start-up, this prefix's services");
        ServiceBatch batch(Named("AbStart"), 1000);
        ::Sleep(3000);  // the manager and the registry settle after so many new services
        StartUp("start-up, with 1,000 more services");
    }
    return 0;
}
