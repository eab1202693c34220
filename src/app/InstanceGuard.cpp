#include "app/InstanceGuard.h"

#include "text/AnsiText.h"

namespace rondel {

const char kApplicationWindowClass[] = "RondelApplication";

std::string FileNamePart(const std::string& path) {
    const std::size_t last = LastDelimiter(path, "\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string InstanceGuardName(const std::string& exeFileName) {
    std::string name = exeFileName;
    // A double-byte character's trail byte may be an ASCII capital (ア is 0x83 0x41): it stays.
    for (std::size_t i = 0; i < name.size(); i += CharLength(name, i)) {
        if (CharLength(name, i) == 1 && name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
    return "RondelInstance:" + name;
}

namespace {

// The marker, once this start owns the guard or there is no guard to own.
StartDecision CheckMarker(platform::IAtomTable& atoms, IRunningInstance& running, const std::string& exeFileName) {
    if (const uint16_t found = atoms.FindGlobalAtom(exeFileName)) {
        // A window without the guard: an instance that has stopped answering, or one started
        // before the guard was made. It is handed over to as before.
        if (const platform::RawHandle window = running.FindApplicationWindow()) {
            running.RestoreAndActivate(window);
            running.ReleaseGuard();
            return {StartOutcome::HandedOver, 0};  // the marker belongs to the running instance
        }
        return {StartOutcome::Run, found};
    }
    const uint16_t added = atoms.AddGlobalAtom(exeFileName);
    if (added == 0) {
        running.ReleaseGuard();
        return {StartOutcome::Refused, 0};
    }
    return {StartOutcome::Run, added};
}

}  // namespace

StartDecision CheckSingleInstance(platform::IAtomTable& atoms, IRunningInstance& running,
                                  const std::string& exeFileName) {
    const std::string guard = InstanceGuardName(exeFileName);
    GuardWait state = running.WaitForGuard(guard, 0);
    // The owner of the guard shows its application window moments after taking it, and lets
    // the guard go as soon as its windows have gone.
    for (uint32_t waited = 0; state == GuardWait::Held; waited += kGuardWaitStepMs) {
        if (const platform::RawHandle window = running.FindApplicationWindow()) {
            running.RestoreAndActivate(window);
            state = running.WaitForGuard(guard, kHandOverCheckMs);
            if (state != GuardWait::Taken) return {StartOutcome::HandedOver, 0};
            break;  // that instance was closing: this start runs in its place
        }
        if (waited >= kGuardWaitLimitMs) return {StartOutcome::AnotherStarting, 0};
        state = running.WaitForGuard(guard, kGuardWaitStepMs);
    }
    return CheckMarker(atoms, running, exeFileName);
}

}  // namespace rondel
