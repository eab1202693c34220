// The single-instance guard, with the real Rondel.exe under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FixturePaths.h"

namespace {

const char kWindowClass[] = "TForm1";
const char kMarker[] = "Rondel.exe";

struct Process {
    HANDLE handle = nullptr;
    ~Process() {
        if (handle) {
            if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) TerminateProcess(handle, 99);
            CloseHandle(handle);
        }
    }
};

// Rondel.exe, or another program's command line.
bool Start(Process& process, std::string line = "\"" + rondel::fixtures::BuildDirectory() + "Rondel.exe\"") {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    process.handle = pi.hProcess;
    return true;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

HWND WaitForMainWindow() {
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA(kWindowClass, nullptr)) != nullptr && IsWindowVisible(window); }, 30000);
    return window;
}

DWORD WaitForExit(Process& process, DWORD timeoutMs) {
    if (WaitForSingleObject(process.handle, timeoutMs) != WAIT_OBJECT_0) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(process.handle, &code);
    return code;
}

void Close(HWND window, Process& process) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process, 20000), 0u) << "the program ends with exit code 0";
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowA(kWindowClass, nullptr), nullptr) << "no Rondel may run before this test";
        while (ATOM stale = GlobalFindAtomA(kMarker)) GlobalDeleteAtom(stale);
    }
};

TEST_F(SingleInstance, SecondStartRestoresTheFirstAndEndsWithZero) {
    Process first;
    ASSERT_TRUE(Start(first));
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_NE(GlobalFindAtomA(kMarker), 0) << "the running instance holds its marker";
    ASSERT_NE(FindWindowA(nullptr, "ロンデル"), nullptr) << "the application title a second start looks for";

    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != FALSE; }, 5000));

    Process second;
    ASSERT_TRUE(Start(second));
    EXPECT_EQ(WaitForExit(second, 30000), 0u);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(main) == FALSE; }, 5000)) << "the first instance is restored";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 5000)) << "and brought to the front";
    EXPECT_EQ(FindWindowA(kWindowClass, nullptr), main) << "the second start opened no window";
    EXPECT_NE(GlobalFindAtomA(kMarker), 0) << "the marker still belongs to the first instance";

    Close(main, first);
    EXPECT_EQ(GlobalFindAtomA(kMarker), 0) << "the first instance removed its marker";
}

TEST_F(SingleInstance, StaleMarkerWithoutWindowIsClearedByTheNextRun) {
    ASSERT_NE(GlobalAddAtomA(kMarker), 0);  // as left by a killed instance
    Process run;
    ASSERT_TRUE(Start(run));
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "a stale marker does not stop the start";
    Close(main, run);
    EXPECT_EQ(GlobalFindAtomA(kMarker), 0) << "the run deleted the marker it found";
}

// A window a second start meets: of Rondel's class but not answering, or of another program's
// class with Rondel's title. It puts up the marker too, and goes after `milliseconds`.
bool StartStandIn(Process& process, const char* windowClass, DWORD milliseconds) {
    return Start(process, "\"" + rondel::fixtures::FixturePath("StandInInstance.exe") + "\" " + windowClass + " " +
                              std::to_string(milliseconds)) &&
           WaitFor([&] { return FindWindowA(windowClass, "ロンデル") != nullptr; }, 10000);
}

TEST_F(SingleInstance, TheHandOverNeverWaitsAndTakesOnlyRondelsOwnWindow) {
    {
        Process frozen;
        ASSERT_TRUE(StartStandIn(frozen, "RondelApplication", 15000));
        Process second;
        ASSERT_TRUE(Start(second));
        EXPECT_EQ(WaitForExit(second, 2000), 0u) << "handed over without waiting for an answer";
        EXPECT_EQ(FindWindowA(kWindowClass, nullptr), nullptr);
    }
    while (ATOM stale = GlobalFindAtomA(kMarker)) GlobalDeleteAtom(stale);
    Process stranger;
    ASSERT_TRUE(StartStandIn(stranger, "SomeoneElsesWindow", 15000));
    Process run;
    ASSERT_TRUE(Start(run));
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "another program's window with the title does not stop the start";
    Close(main, run);
}

}  // namespace
