// RondelLoad.exe [scene...]: how the real Rondel.exe's window behaves while the services it shows
// keep changing, measured from outside as a person meets it.
//
// The machine under load, for the whole run: 5,000 stopped services (four in five run from four
// shared host executables with arguments, the way svchost hosts services, the rest from
// executables of their own), a test service the probe starts and stops every 300 ms, and a
// running one under whose key's Parameters subkey the probe writes a value every 200 ms. The
// window is read only through its controls' messages; the first five scenes share one window:
//   greyed    開始 of a selected stopped service, sampled every 10 ms for 60 s
//   clicks    20 clicks of the mouse on an enabled 開始; lost: no start followed
//   choices   16 choices (another item, a start type, another tab) made just after a refresh
//             began; lost: the window no longer shows them once it has ended
//   menu      4 commands of the list's menu chosen just after a refresh began: carried out,
//             refused with a dialog, or dropped without a word
//   scroll    20 refreshes that follow a service while the stopped tab is scrolled to its
//             middle: the list's item count and top index, read every 10 ms
//   save      4 saves of the list, each window closed as soon as its save has begun: is the
//             file whole
//   starts    five starts of Rondel.exe at once, three times: how many windows stay
// Every wait is bounded: a window that does badly is reported, never waited for.
#include "LoadProbe.h"

using namespace rondel;
using namespace rondel::load;

int main(int argc, char** argv) {
    const ULONGLONG began = Now();
    std::vector<std::string> scenes(argv + 1, argv + argc);
    const auto wanted = [&](const char* scene) {
        return scenes.empty() || std::find(scenes.begin(), scenes.end(), scene) != scenes.end();
    };
    RemoveServicesWithPrefix(kTestServicePrefix);
    {
        Load load;
        if (!load.Ready()) {
            std::fprintf(stderr, "RondelLoad: the services could not be registered and started (error %lu)\n",
                         ::GetLastError());
            return 1;
        }
        std::printf("set-up: %s services registered in %s ms; one flapping every 300 ms, one written every 200 ms\n",
                    Number(kLoadServices).c_str(), Number(static_cast<long long>(load.RegisteredMs())).c_str());
        std::fflush(stdout);
        // One window for the scenes that keep it open, started again should it end by itself.
        std::unique_ptr<RondelWindow> window;
        const auto open = [&]() -> RondelWindow* {
            DWORD code = 0;
            if (window && ::GetExitCodeProcess(window->Process(), &code) && code != STILL_ACTIVE) {
                std::printf("Rondel.exe ended by itself (code %lu); started again\n", code);
                window.reset();
            }
            if (!window) {
                const ULONGLONG start = Now();
                window = std::make_unique<RondelWindow>();
                std::printf("Rondel.exe started: its lists shown after %s ms\n",
                            Number(static_cast<long long>(Now() - start)).c_str());
                std::fflush(stdout);
            }
            return Shown(*window) ? window.get() : nullptr;
        };
        Pick middle{kLoadPrefix + "2500", ItemHint(2500)};
        const struct {
            const char* name;
            std::function<void(RondelWindow&)> run;
        } shared[] = {
            {"greyed", [&](RondelWindow& w) { Greyed(w, middle); }},
            {"clicks", [&](RondelWindow& w) { Clicks(w, load); }},
            {"choices", [&](RondelWindow& w) { Choices(w, middle); }},
            {"menu", [&](RondelWindow& w) { MenuCommands(w, middle); }},
            {"scroll", [&](RondelWindow& w) { Scrolled(w, load); }},
        };
        for (const auto& scene : shared) {
            if (!wanted(scene.name)) continue;
            if (RondelWindow* w = open()) scene.run(*w);
            else Say(scene.name, "Rondel did not show its lists", Now());
        }
        window.reset();
        if (wanted("save")) SaveOnClose();
        if (wanted("starts")) FiveStarts();
    }
    std::printf("the whole run: %llu s\n", (Now() - began + 500) / 1000);
    return 0;
}
