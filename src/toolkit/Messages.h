// The program's own window messages, all in one place so that no two share a number.
#pragma once

#include <windows.h>

namespace rondel {

// What the workers post to a window when they have news: one message for each of the window's
// workers (a worker is told which when it is made).
inline constexpr UINT kWorkerNewsBase = WM_APP + 0x100;
inline constexpr UINT kWorkerNewsCount = 8;
// The main window, posted to itself at its creation: read the services once it shows.
inline constexpr UINT kFirstRefresh = WM_APP + 0x200;
// The main window, posted to itself: tell what the session has to tell (its dialogs, the
// dependencies window), from the message loop rather than from inside a worker's news.
inline constexpr UINT kTellSession = WM_APP + 0x201;
// A form, posted to itself: show the error kept for later once what it was doing is shown.
inline constexpr UINT kShowPendingError = WM_APP + 0x2F00;
// Sent to the form when a control of it with the keyboard focus has been disabled or hidden
// (the system then leaves the focus nowhere). A form hidden or disabled itself sends nothing.
inline constexpr UINT kFocusLost = WM_APP + 0x2F01;
// A parent passes a notification of one of its controls back to it as kReflectedBase + message.
inline constexpr UINT kReflectedBase = WM_APP + 0x3000;

}  // namespace rondel
