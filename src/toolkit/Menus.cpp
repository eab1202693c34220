#include "toolkit/Menus.h"

namespace rondel {

TPopupMenu::TPopupMenu() : menu_(::CreatePopupMenu()) {}

void TPopupMenu::Add(WORD id, const std::string& caption, bool enabled) {
    ::AppendMenuA(menu_.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, caption.c_str());
}

void TPopupMenu::AddSeparator() { ::AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr); }

int TPopupMenu::Popup(HWND owner, POINT screen) {
    // The owner must be in front for a click elsewhere to close the menu.
    ::SetForegroundWindow(owner);
    const int chosen = ::TrackPopupMenu(
        menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y,
        0, owner, nullptr);
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return chosen;
}

}  // namespace rondel
