// Rondel.exe: start-up and the single-instance guard.
#include <windows.h>

#include "app/ApplicationWindow.h"
#include "app/InstanceGuard.h"
#include "platform/Win32Platform.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Dde.h"
#include "toolkit/Form.h"
#include "ui/Unit1.h"

using namespace rondel;

namespace {

class Win32RunningInstance final : public IRunningInstance {
public:
    platform::RawHandle FindApplicationWindow() override {
        return reinterpret_cast<platform::RawHandle>(::FindWindowA(nullptr, kApplicationTitle));
    }
    void RestoreAndActivate(platform::RawHandle handle) override {
        HWND window = reinterpret_cast<HWND>(handle);
        // We were started by the user, so we may pass the foreground on to the running instance.
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        ::AllowSetForegroundWindow(process);
        ::SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        ::SetForegroundWindow(window);
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    Win32RunningInstance running;
    const StartDecision decision =
        CheckSingleInstance(system.atoms, running, FileNamePart(system.files.ModuleFileName()));
    if (decision.outcome == StartOutcome::HandedOver) return 0;
    if (decision.outcome == StartOutcome::Refused) {
        ::MessageBoxA(nullptr, "起動できません", "エラー", MB_OK | MB_ICONERROR);
        return 0;
    }

    try {
        const TDdeInstance dde;  // the program's DDE instance, for the whole run
        ApplicationWindow application;
        TForm1 mainWindow(system);
        application.SetMainWindow(mainWindow.Handle());
        mainWindow.Show(showCommand);
        RunMessageLoop();
    } catch (...) {
        ShowCurrentException();
    }
    system.atoms.DeleteGlobalAtom(decision.atom);
    return 0;
}
