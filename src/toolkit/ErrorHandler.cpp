#include "toolkit/ErrorHandler.h"

#include <windows.h>

#include <stdexcept>

#include "text/ApplicationTitle.h"
#include "text/ErrorText.h"

namespace rondel {

void ShowUnhandledError(const std::string& message, HWND owner) {
    const std::string text = UnhandledErrorText(message);
    ::MessageBoxA(owner != nullptr ? owner : ::GetActiveWindow(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

void ShowCurrentException(HWND owner) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            ShowUnhandledError(e.what(), owner);
        } catch (...) {
            ShowUnhandledError("予期しないエラーが発生しました", owner);
        }
    } catch (...) {
        // Showing the error failed too (out of memory): there is nothing left to tell.
    }
}

}  // namespace rondel
