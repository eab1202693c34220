// The text the general error handler shows for an error nobody handled.
#pragma once

#include <string>

namespace rondel {

// The error's text, followed by "." when its last character sorts after "." (so Japanese
// texts get a full stop).
std::string UnhandledErrorText(const std::string& message);

}  // namespace rondel
