// The program's window classes: its own (TForm1, TForm2...) and superclasses of the system's
// controls (TGraphicListBox over LISTBOX), all sent through the toolkit's window procedure.
#pragma once

#include <windows.h>

#include <string>

namespace rondel {

struct WindowClassInfo {
    std::string name;
    // A system class to take over (LISTBOX, EDIT...), or empty for a window of our own.
    std::string superclassOf;
    UINT style = CS_DBLCLKS;
    // A window of the dialog manager's kind (forms): DLGWINDOWEXTRA bytes and DefDlgProcA as
    // the fallback, which keeps the focus across activations and answers DM_GETDEFID.
    bool dialog = false;
};

// Registers the class once per process with procedure as its window procedure; returns the
// procedure its messages fall back to (the system class's own, or DefWindowProcA). Throws
// std::system_error when the class cannot be registered.
WNDPROC RegisterWindowClass(const WindowClassInfo& info, WNDPROC procedure);

// The fallback procedure of a window of a registered class; null for any other window.
WNDPROC FallbackProcedureOf(HWND window);

}  // namespace rondel
