// A machine for the windows' in-process tests: services and registry from the in-memory double
// (answers Wine never gives: 1051, dependents, refused changes), files, version resources,
// environment and atoms from Wine, and the shell from either (the double's writes down what
// would have been started).
#pragma once

#include "FakePlatform.h"
#include "platform/Win32Platform.h"

namespace rondel::testing {

struct MixedMachine {
    enum Shell { kWineShell, kFakeShell };
    explicit MixedMachine(Shell shell = kWineShell)
        : system{fake.services, fake.registry, wine.files, wine.versions,
                 shell == kFakeShell ? static_cast<platform::IShell&>(fake.shell) : wine.shell, wine.environment,
                 wine.atoms, fake.processes} {}

    fake::FakeMachine fake;
    platform::Win32Platform real;
    platform::Platform wine = real.View();
    platform::Platform system;
};

}  // namespace rondel::testing
