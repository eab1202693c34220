#include "app/InstanceGuard.h"

#include "text/AnsiText.h"

namespace rondel {

const char kApplicationWindowClass[] = "RondelApplication";

std::string FileNamePart(const std::string& path) {
    const std::size_t last = LastDelimiter(path, "\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

StartDecision CheckSingleInstance(platform::IAtomTable& atoms, IRunningInstance& running,
                                  const std::string& exeFileName) {
    if (const uint16_t found = atoms.FindGlobalAtom(exeFileName)) {
        if (const platform::RawHandle window = running.FindApplicationWindow()) {
            running.RestoreAndActivate(window);
            return {StartOutcome::HandedOver, 0};  // the marker belongs to the running instance
        }
        return {StartOutcome::Run, found};
    }
    const uint16_t added = atoms.AddGlobalAtom(exeFileName);
    if (added == 0) return {StartOutcome::Refused, 0};
    return {StartOutcome::Run, added};
}

}  // namespace rondel
