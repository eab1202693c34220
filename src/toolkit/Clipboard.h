// Text on the clipboard, in both of the system's text formats.
#pragma once

#include <windows.h>

#include <string>

namespace rondel {

// Puts text (code page 932) on the clipboard as CF_TEXT and as CF_UNICODETEXT, replacing what
// was there. False when the clipboard could not be had (another program holds it) or set.
bool CopyTextToClipboard(HWND owner, const std::string& text);

}  // namespace rondel
