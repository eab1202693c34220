// The main window in a test's own thread: its session's jobs run on its workers, and their
// outcome arrives through this thread's messages.
#pragma once

#include <windows.h>

#include <string>

#include "catalogue/ServiceCatalogue.h"
#include "control/DependencyLookup.h"
#include "toolkit/Form.h"
#include "ui/Unit1.h"

namespace rondel::testing {

// Runs this thread's messages (dialogs answered by a DialogAnswer included) until the window's
// session has nothing under way and all it was told is shown; false when that is not within
// timeoutMs.
inline bool Settle(const TForm1& form, DWORD timeoutMs = 30000) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!TForm::PreTranslate(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        }
        if (form.Settled()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The service shown in its tab and selected, as 参照 of the dependencies window does, and its
// details read; false when it is in no list.
inline bool SelectService(TForm1& form, const std::string& serviceName) {
    ServiceEntry entry;
    entry.serviceName = serviceName;
    const bool shown = !form.Session().View(entry).has_value();
    Settle(form);
    return shown;
}

// The icons the session gives its dependency lookups, loaded as it loads them.
struct SystemIcons {
    explicit SystemIcons(platform::Platform system)
        : driver(LoadSystemIcon(system, kDriverIconIndex)), service(LoadSystemIcon(system, kDefaultServiceIconIndex)) {}
    DependencyIcons Icons() const { return {driver.get(), service.get()}; }
    platform::IconHandle driver;
    platform::IconHandle service;
};

}  // namespace rondel::testing
