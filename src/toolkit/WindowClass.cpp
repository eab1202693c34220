#include "toolkit/WindowClass.h"

#include <system_error>
#include <vector>

namespace rondel {

namespace {

struct RegisteredClass {
    std::string name;
    ATOM atom;
    WNDPROC fallback;
};

// Everything runs on the one user-interface thread.
std::vector<RegisteredClass>& Registry() {
    static std::vector<RegisteredClass> classes;
    return classes;
}

}  // namespace

WNDPROC RegisterWindowClass(const WindowClassInfo& info, WNDPROC procedure) {
    for (const RegisteredClass& known : Registry())
        if (known.name == info.name) return known.fallback;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    WNDPROC fallback = ::DefWindowProcA;
    if (!info.superclassOf.empty()) {
        if (!::GetClassInfoExA(nullptr, info.superclassOf.c_str(), &windowClass))
            throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                    "GetClassInfoExA " + info.superclassOf);
        fallback = windowClass.lpfnWndProc;
        // Painting outside WM_PAINT (the hot item) must stay inside the control.
        windowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS | CS_PARENTDC);
    } else {
        windowClass.style = info.style;
        windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        if (info.dialog) {
            windowClass.cbWndExtra = DLGWINDOWEXTRA;
            fallback = ::DefDlgProcA;
        }
    }
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = info.name.c_str();
    const ATOM atom = ::RegisterClassExA(&windowClass);
    if (atom == 0)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "RegisterClassExA " + info.name);
    Registry().push_back({info.name, atom, fallback});
    return fallback;
}

WNDPROC FallbackProcedureOf(HWND window) {
    const ATOM atom = static_cast<ATOM>(::GetClassLongPtrA(window, GCW_ATOM));
    for (const RegisteredClass& known : Registry())
        if (known.atom == atom) return known.fallback;
    return nullptr;
}

}  // namespace rondel
