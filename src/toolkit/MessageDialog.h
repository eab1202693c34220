// The message dialog through which the windows ask their questions and report refused
// requests: an icon on the left, the text on its right, a row of buttons below, centred on
// the screen. Unlike the plain standard layout, icon and text are centred vertically on each
// other, so a one-line message sits level with the middle of the icon.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Form.h"

namespace rondel {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// In the order of their set, which is also their order from left to right.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons operator|(TMsgDlgBtn a, TMsgDlgBtn b) { return (1u << a) | (1u << b); }
constexpr TMsgDlgButtons DialogButtons(TMsgDlgBtn button) { return 1u << button; }

// The dialog of one message, made but not shown. Its components are the icon (a TImage; none
// for the custom type), the message (a TLabel) and one TButton per requested button.
class TMessageForm : public TForm {
public:
    // owner: the window the dialog belongs to and disables while it shows; by default the
    // thread's active window.
    TMessageForm(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, HWND owner = nullptr);
    ~TMessageForm() override;

    const std::vector<TWinControl*>& Components() const { return components_; }

private:
    std::vector<std::unique_ptr<TWinControl>> owned_;
    std::vector<TWinControl*> components_;
};

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  TMsgDlgButtons buttons, HWND owner = nullptr);

// Shows the dialog modally and returns the modal result of the button that closed it (2 when
// the close box did). The help context is accepted for the callers' sake and not used. The
// windows name themselves as the owner, so that the dialog belongs to them even while another
// program is in front.
std::uint16_t ShowMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                                int helpContext, HWND owner = nullptr);

// A question with はい and いいえ, いいえ the default button (Enter and Esc both answer いいえ): for a
// question whose はい cannot be taken back. True for はい.
bool AskNoByDefault(const std::string& message, HWND owner);

// Icon and text centred on each other, in place: the label moves down when it is less tall
// than the icon, the icon when the label is taller.
void CentreIconAndLabel(TWinControl& icon, TWinControl& label);

}  // namespace rondel
