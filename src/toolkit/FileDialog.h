// The system's dialog that asks where to save a file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace rondel {

// Shows the save dialog over owner, offering initialName, files of kind (shown as kindName, e.g.
// "CSV (*.csv)") and all files; the extension is added to a name typed without one, and an
// existing file is written over only when the user agrees. The chosen path, or nothing.
std::optional<std::string> AskFileToSave(HWND owner, const std::string& initialName, const std::string& kindName,
                                         const std::string& extension);

}  // namespace rondel
