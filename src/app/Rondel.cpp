// Rondel.exe: start-up and the single-instance guard.
#include <windows.h>

#include <exception>
#include <string>

#include "app/ApplicationWindow.h"
#include "app/InstanceGuard.h"
#include "control/ServiceRestart.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Form.h"
#include "toolkit/Worker.h"
#include "ui/Unit1.h"

using namespace rondel;

namespace {

// The longest a restart's job may still take after the window has gone: its wait for the stop
// and the start after it.
constexpr DWORD kRestartJobLimitMs = kRestartWaitLimitMs + 60000;

class Win32RunningInstance final : public IRunningInstance {
public:
    platform::RawHandle FindApplicationWindow() override {
        // By class and title: a window of another program that happens to carry the title is
        // not the running instance.
        return reinterpret_cast<platform::RawHandle>(::FindWindowA(kApplicationWindowClass, kApplicationTitle));
    }
    void RestoreAndActivate(platform::RawHandle handle) override {
        HWND window = reinterpret_cast<HWND>(handle);
        // We were started by the user, so we may pass the foreground on to the running instance.
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        ::AllowSetForegroundWindow(process);
        // Posted, never sent: the running instance restores itself and comes to the front when it
        // gets to it, and this start ends at once even if it does not answer.
        ::PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
    GuardWait WaitForGuard(const std::string& name, uint32_t milliseconds) override {
        if (owned_) return GuardWait::Taken;
        if (!guard_) {
            guard_.reset(::CreateMutexA(nullptr, FALSE, name.c_str()));
            // Made by an instance of another account: it can still be waited for.
            if (!guard_ && ::GetLastError() == ERROR_ACCESS_DENIED) guard_.reset(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
            if (!guard_) return GuardWait::Unavailable;
        }
        switch (::WaitForSingleObject(guard_.get(), milliseconds)) {
            case WAIT_OBJECT_0:
            case WAIT_ABANDONED:  // its owner was killed
                owned_ = true;
                return GuardWait::Taken;
            case WAIT_TIMEOUT:
                return GuardWait::Held;
            default:
                return GuardWait::Unavailable;
        }
    }
    // On the thread that took it, the program's main thread.
    void ReleaseGuard() override {
        if (owned_) ::ReleaseMutex(guard_.get());
        owned_ = false;
        guard_.reset();
    }
    ~Win32RunningInstance() override { ReleaseGuard(); }

private:
    unique_handle guard_;
    bool owned_ = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // Never destroyed: a worker's job may still use it while the program ends.
    static platform::Win32Platform& machine = *new platform::Win32Platform;
    platform::Platform system = machine.View();
    Win32RunningInstance running;
    const StartDecision decision =
        CheckSingleInstance(system.atoms, running, FileNamePart(system.files.ModuleFileName()));
    if (decision.outcome == StartOutcome::HandedOver || decision.outcome == StartOutcome::AnotherStarting) return 0;
    if (decision.outcome == StartOutcome::Refused) {
        ::MessageBoxA(nullptr, "起動できません", "エラー", MB_OK | MB_ICONERROR);
        return 0;
    }

    std::exception_ptr failure;
    try {
        ApplicationWindow application;
        TForm1 mainWindow(system);
        application.SetMainWindow(mainWindow.Handle());
        mainWindow.Show(showCommand);
        RunMessageLoop();
    } catch (...) {
        failure = std::current_exception();
    }
    // The windows have gone: the next start runs, even while this one tells of an error or
    // carries a restart through. The marker goes first, so that start never finds it.
    system.atoms.DeleteGlobalAtom(decision.atom);
    running.ReleaseGuard();
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (...) {
            ShowCurrentException();
        }
    }
    // A restart the window began is carried through before the program ends.
    TWorker::WaitForJobs(kRestartJobLimitMs);
    return 0;
}
