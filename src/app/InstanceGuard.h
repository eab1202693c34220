// One instance per executable file name: a global atom named after the file marks the running
// instance, and a second start hands over to the window that carries the application title.
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

// What a second start does with the running instance's window.
class IRunningInstance {
public:
    virtual ~IRunningInstance() = default;
    // The first top-level window of class kApplicationWindowClass titled exactly
    // kApplicationTitle, or 0.
    virtual platform::RawHandle FindApplicationWindow() = 0;
    // Restores it from the minimised state and brings it to the front.
    virtual void RestoreAndActivate(platform::RawHandle window) = 0;
};

enum class StartOutcome {
    HandedOver,  // another instance runs: it was brought to the front; end with exit code 0
    Refused,     // the marker could not be made: tell the user "起動できません" and end
    Run,         // start normally and delete `atom` once after the message loop
};

struct StartDecision {
    StartOutcome outcome = StartOutcome::Refused;
    uint16_t atom = 0;
};

// The check before anything is shown. A marker without a window (left by a killed instance)
// does not stop the start: the run holds that marker and deletes it at its end.
StartDecision CheckSingleInstance(platform::IAtomTable& atoms, IRunningInstance& running,
                                  const std::string& exeFileName);

}  // namespace rondel
