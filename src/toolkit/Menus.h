// A pop-up menu, made for one showing: items with their command ids, enabled or greyed, and
// separators. The chosen item's command is given back to the caller, who knows it came from
// the menu (an item it showed enabled).
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
    // closed: the command chosen, 0 for none.
    int Popup(HWND owner, POINT screen);

    HMENU Handle() const { return menu_.get(); }

private:
    unique_hmenu menu_;
};

}  // namespace rondel
