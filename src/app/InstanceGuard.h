// One instance per executable file name. A named mutex, owned by the running instance for its
// whole run, is the guard: taking it is one atomic step, so starts at the same moment never both
// run. A global atom named after the file marks the running instance beside it, and a second
// start hands over to the window that carries the application title.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "text/ApplicationTitle.h"

namespace rondel {

// The class of the application window, which a second start looks for together with its title
// (kApplicationTitle).
extern const char kApplicationWindowClass[];

// The file-name part of a path: the text after its last backslash or colon.
std::string FileNamePart(const std::string& path);

// The name of the guard of an executable: its file name with the ASCII letters lowered (the
// atoms ignore case, a mutex's name does not), double-byte characters kept whole.
std::string InstanceGuardName(const std::string& exeFileName);

// How long a start that finds the guard held waits for the running instance's window (or for
// the guard to come free), and in steps of how long.
inline constexpr uint32_t kGuardWaitLimitMs = 5000;
inline constexpr uint32_t kGuardWaitStepMs = 50;
// After a hand-over, how long a start watches the guard: an instance that was closing as its
// window was found lets it go, and the start then runs itself.
inline constexpr uint32_t kHandOverCheckMs = 100;

enum class GuardWait {
    Taken,        // this start owns the guard (also when its owner ended without letting it go)
    Held,         // another instance owns it still
    Unavailable,  // it cannot be made or waited for: the marker alone decides, as it did before it
};

// The running instance as a start meets it: the guard and the window.
class IRunningInstance {
public:
    virtual ~IRunningInstance() = default;
    // The first top-level window of class kApplicationWindowClass titled exactly
    // kApplicationTitle, or 0.
    virtual platform::RawHandle FindApplicationWindow() = 0;
    // Restores it from the minimised state and brings it to the front.
    virtual void RestoreAndActivate(platform::RawHandle window) = 0;
    // Tries to take the guard `name`, waiting up to `milliseconds` while another owns it. Once
    // taken, later calls answer Taken at once.
    virtual GuardWait WaitForGuard(const std::string& name, uint32_t milliseconds) = 0;
    // Lets the guard go if this start owns it.
    virtual void ReleaseGuard() = 0;
};

enum class StartOutcome {
    HandedOver,       // another instance runs: it was brought to the front; end with exit code 0
    AnotherStarting,  // another instance holds the guard and has no window yet after the wait:
                      // it is starting, and its window will come; end with exit code 0
    Refused,          // the marker could not be made: tell the user "起動できません" and end
    Run,              // start normally; after the message loop delete `atom` once, then let the
                      // guard go
};

struct StartDecision {
    StartOutcome outcome = StartOutcome::Refused;
    uint16_t atom = 0;
};

// The check before anything is shown; it never waits longer than kGuardWaitLimitMs and
// kHandOverCheckMs together. Only the start that runs keeps the guard. A marker without a
// window (left by a killed instance) does not stop the start: the run holds that marker and
// deletes it at its end.
StartDecision CheckSingleInstance(platform::IAtomTable& atoms, IRunningInstance& running,
                                  const std::string& exeFileName);

}  // namespace rondel
