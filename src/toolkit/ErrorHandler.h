// The application's general error handler: every error that no operation handles ends here,
// and nothing ever leaves a window procedure.
#pragma once

#include <exception>
#include <string>

namespace rondel {

// A message box with the error icon, the caption "ロンデル" and an OK button.
void ShowUnhandledError(const std::string& message);

// For a catch-all: shows the current exception (std::exception's text, or a generic one).
void ShowCurrentException() noexcept;

}  // namespace rondel
