// The main window in a test's own thread: its requests run on its worker, and their outcome
// arrives through this thread's messages.
#pragma once

#include <windows.h>

#include "control/DependencyLookup.h"
#include "toolkit/Form.h"
#include "ui/Unit1.h"

namespace rondel::testing {

// Runs this thread's messages (dialogs answered by a DialogAnswer included) until the window's
// request is over and its outcome shown; false when it is not within timeoutMs.
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
        if (!form.Busy()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The icons the main window gives its dependency lookups.
inline DependencyIcons IconsOf(const TForm1& form) {
    return {reinterpret_cast<platform::RawHandle>(form.DriverIcon()),
            reinterpret_cast<platform::RawHandle>(form.DefaultServiceIcon())};
}

}  // namespace rondel::testing
