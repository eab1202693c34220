#include "toolkit/FileDialog.h"

#include <commdlg.h>

#include <vector>

namespace rondel {

std::optional<std::string> AskFileToSave(HWND owner, const std::string& initialName, const std::string& kindName,
                                         const std::string& extension) {
    std::vector<char> file(MAX_PATH * 4, '\0');
    initialName.copy(file.data(), std::min(initialName.size(), file.size() - 1));
    // Pairs of name and pattern, each ended by a NUL, the list by another.
    std::string filter = kindName + '\0' + "*." + extension + '\0' + "すべてのファイル (*.*)" + '\0' + "*.*" + '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameA(&dialog)) return std::nullopt;
    return std::string(file.data());
}

}  // namespace rondel
