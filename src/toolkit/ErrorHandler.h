// The application's general error handler: every error that no operation handles ends here,
// and nothing ever leaves a window procedure.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace rondel {

// A message box with the error icon, the caption "ロンデル" and an OK button, owned by the
// window the error happened in (modal to it), or by the thread's active window.
void ShowUnhandledError(const std::string& message, HWND owner = nullptr);

// For a catch-all: shows the current exception (std::exception's text, or a generic one).
void ShowCurrentException(HWND owner = nullptr) noexcept;

}  // namespace rondel
