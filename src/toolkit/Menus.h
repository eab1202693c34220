// A pop-up menu, made for one showing: items with their command ids, enabled or greyed, and
// separators. The chosen item's command reaches the owner window as WM_COMMAND, as a menu's does.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Win32Handles.h"

namespace rondel {

class TPopupMenu {
public:
    TPopupMenu();

    void Add(WORD id, const std::string& caption, bool enabled);
    void AddSeparator();
    // Shows the menu with its top-left corner at the screen point and returns once it is
    // closed, the command (if any) posted to owner.
    void Popup(HWND owner, POINT screen);

    HMENU Handle() const { return menu_.get(); }

private:
    unique_hmenu menu_;
};

}  // namespace rondel
