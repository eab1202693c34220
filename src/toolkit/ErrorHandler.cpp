#include "toolkit/ErrorHandler.h"

#include <windows.h>

#include <stdexcept>

#include "toolkit/ErrorText.h"

namespace rondel {

void ShowUnhandledError(const std::string& message) {
    const std::string text = UnhandledErrorText(message);
    ::MessageBoxA(::GetActiveWindow(), text.c_str(), "ロンデル", MB_OK | MB_ICONERROR);
}

void ShowCurrentException() noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            ShowUnhandledError(e.what());
        } catch (...) {
            ShowUnhandledError("予期しないエラーが発生しました");
        }
    } catch (...) {
        // Showing the error failed too (out of memory): there is nothing left to tell.
    }
}

}  // namespace rondel
