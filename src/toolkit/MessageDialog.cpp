#include "toolkit/MessageDialog.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/Win32Handles.h"
#include "text/ApplicationTitle.h"
#include "toolkit/Button.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/StdCtrls.h"

namespace rondel {

namespace {

struct DialogTypeInfo {
    const char* caption;  // null: the application's title
    LPCSTR icon;          // null: no icon
};

const DialogTypeInfo kDialogTypes[] = {
    {"警告", IDI_EXCLAMATION},
    {"エラー", IDI_HAND},
    {"情報", IDI_ASTERISK},
    {"確認", IDI_QUESTION},
    {nullptr, nullptr},
};

struct ButtonInfo {
    const char* caption;
    int modalResult;  // 0: the button does not close the dialog
    int controlId;
};

constexpr int kHelpButtonId = 12;

const ButtonInfo kButtons[] = {
    {"はい(&Y)", mrYes, IDYES},
    {"いいえ(&N)", mrNo, IDNO},
    {"OK", mrOk, IDOK},
    {"キャンセル", mrCancel, IDCANCEL},
    {"中止(&A)", mrAbort, IDABORT},
    {"再試行(&R)", mrRetry, IDRETRY},
    {"無視(&I)", mrIgnore, IDIGNORE},
    {"すべて(&A)", mrAll, mrAll},
    {"すべていいえ(&O)", mrNoToAll, mrNoToAll},
    {"すべてはい(&A)", mrYesToAll, mrYesToAll},
    {"ヘルプ(&H)", 0, kHelpButtonId},
};

bool Has(TMsgDlgButtons buttons, TMsgDlgBtn button) { return (buttons & (1u << button)) != 0; }

// The layout's measures, in the dialog font's average character size as the dialog units of
// the standard dialogs: margins, spacing and buttons grow with the font.
struct DialogUnits {
    int x;
    int y;
};

DialogUnits MeasureDialogUnits(const TFont& font) {
    const window_dc screen(nullptr);
    const selected_object chosen(screen.get(), font.Handle());
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    ::GetTextExtentPoint32A(screen.get(), letters, 52, &size);
    return DialogUnits{(size.cx / 26 + 1) / 2, size.cy};
}

int TextWidth(const TFont& font, const std::string& text) {
    const window_dc screen(nullptr);
    const selected_object chosen(screen.get(), font.Handle());
    RECT rect{0, 0, 0, 0};
    ::DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE);
    return rect.right - rect.left;
}

constexpr int kIconSize = 32;

}  // namespace

void CentreIconAndLabel(TWinControl& icon, TWinControl& label) {
    if (label.Height() < icon.Height())
        label.SetBounds(label.Left(), icon.Top() + (icon.Height() - label.Height()) / 2, label.Width(), label.Height());
    if (label.Height() > icon.Height())
        icon.SetBounds(icon.Left(), label.Top() + (label.Height() - icon.Height()) / 2, icon.Width(), icon.Height());
}

TMessageForm::TMessageForm(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, HWND owner)
    : TForm("TMessageForm") {
    const DialogTypeInfo& kind = kDialogTypes[type];
    SetCaption(kind.caption != nullptr ? kind.caption : kApplicationTitle);
    SetBorderStyle(bsDialog);
    SetOwnerWindow(owner != nullptr ? owner : ::GetActiveWindow());

    const DialogUnits units = MeasureDialogUnits(Font());
    const int horzMargin = ::MulDiv(8, units.x, 4);
    const int vertMargin = ::MulDiv(8, units.y, 8);
    const int horzSpacing = ::MulDiv(10, units.x, 4);
    const int vertSpacing = ::MulDiv(10, units.y, 8);
    const int buttonSpacing = ::MulDiv(4, units.x, 4);
    int buttonWidth = ::MulDiv(50, units.x, 4);
    const int buttonHeight = ::MulDiv(14, units.y, 8);
    // The font, and with it the dialog units, is made for the screen's DPI already; the icon is not.
    const int iconSize = Scale(kIconSize);

    TImage* image = nullptr;
    if (kind.icon != nullptr) {
        auto owned = std::make_unique<TImage>(SS_ICON);
        image = owned.get();
        image->SetParent(*this);
        image->SetIcon(::LoadIconA(nullptr, kind.icon));
        image->SetBounds(horzMargin, vertMargin, iconSize, iconSize);
        components_.push_back(image);
        owned_.push_back(std::move(owned));
    }

    auto ownedLabel = std::make_unique<TLabel>();
    TLabel* label = ownedLabel.get();
    label->SetParent(*this);
    label->SetWordWrap(true);
    label->SetCaption(message);
    const SIZE text = label->TextExtent(::GetSystemMetrics(SM_CXSCREEN) / 2);
    const int textLeft = image != nullptr ? horzMargin + iconSize + horzSpacing : horzMargin;
    label->SetBounds(textLeft, vertMargin, text.cx, text.cy);
    components_.push_back(label);
    owned_.push_back(std::move(ownedLabel));

    int iconTextWidth = text.cx;
    int iconTextHeight = text.cy;
    if (image != nullptr) {
        iconTextWidth += iconSize + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, iconSize);
    }

    int count = 0;
    for (int b = mbYes; b <= mbHelp; ++b) {
        if (!Has(buttons, static_cast<TMsgDlgBtn>(b))) continue;
        buttonWidth = std::max(buttonWidth, TextWidth(Font(), kButtons[b].caption) + Scale(8));
        ++count;
    }
    const int groupWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonSpacing : 0;
    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;

    int x = (clientWidth - groupWidth) / 2;
    const int y = iconTextHeight + vertMargin + vertSpacing;
    TButton* defaultButton = nullptr;
    TButton* cancelButton = nullptr;
    for (int b = mbYes; b <= mbHelp; ++b) {
        if (!Has(buttons, static_cast<TMsgDlgBtn>(b))) continue;
        auto owned = std::make_unique<TButton>();
        TButton* button = owned.get();
        button->SetParent(*this);
        button->SetCaption(kButtons[b].caption);
        button->SetModalResult(kButtons[b].modalResult);
        button->SetControlId(kButtons[b].controlId);
        button->SetBounds(x, y, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;
        components_.push_back(button);
        owned_.push_back(std::move(owned));
        if (b == mbOK || (b == mbYes && !Has(buttons, mbOK)) ||
            (b == mbRetry && !Has(buttons, mbOK) && !Has(buttons, mbYes)))
            defaultButton = button;
        if (b == mbCancel || (b == mbNo && !Has(buttons, mbCancel)) ||
            (b == mbOK && !Has(buttons, mbCancel) && !Has(buttons, mbNo)))
            cancelButton = button;
    }
    if (defaultButton != nullptr) {
        SetDefaultButton(*defaultButton);
        SetActiveControl(*defaultButton);
    }
    if (cancelButton != nullptr) AddCancelButton(*cancelButton);

    RECT outer{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&outer, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    SetBounds(0, 0, outer.right - outer.left, outer.bottom - outer.top);
    CenterOnScreen();
}

TMessageForm::~TMessageForm() { DestroyHandle(); }

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  TMsgDlgButtons buttons, HWND owner) {
    return std::make_unique<TMessageForm>(message, type, buttons, owner);
}

namespace {

std::uint16_t ShowDialog(TMessageForm& dialog) {
    TWinControl* icon = nullptr;
    TWinControl* label = nullptr;
    for (TWinControl* component : dialog.Components()) {
        if (icon == nullptr && std::strcmp(component->ClassName(), "TImage") == 0) icon = component;
        if (label == nullptr && std::strcmp(component->ClassName(), "TLabel") == 0) label = component;
    }
    if (icon != nullptr && label != nullptr) CentreIconAndLabel(*icon, *label);
    return static_cast<std::uint16_t>(dialog.ShowModal());
}

}  // namespace

std::uint16_t ShowMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                                int /*helpContext*/, HWND owner) {
    return ShowDialog(*CreateMessageDialog(message, type, buttons, owner));
}

bool AskNoByDefault(const std::string& message, HWND owner) {
    const std::unique_ptr<TMessageForm> dialog = CreateMessageDialog(message, mtConfirmation, mbYes | mbNo, owner);
    for (TWinControl* component : dialog->Components()) {
        auto* button = dynamic_cast<TButton*>(component);
        if (button == nullptr || button->ModalResult() != mrNo) continue;
        dialog->SetDefaultButton(*button);
        dialog->SetActiveControl(*button);
    }
    return ShowDialog(*dialog) == mrYes;
}

}  // namespace rondel
