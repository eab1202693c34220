// TForm1's commands from the keys and the list's menu, and the copies to the clipboard.
#include "control/StartType.h"
#include "toolkit/Clipboard.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Menus.h"
#include "toolkit/MessageDialog.h"
#include "ui/Unit1.h"

namespace rondel {

void TForm1::ExecuteCommand(WORD command) {
    // A menu's command comes after the menu has gone: the model says whether it still applies.
    const CommandStates can = model_.Commands();
    switch (command) {
    case kCmdRefresh:
        if (can.refresh) RefreshKeepingSelection();
        break;
    case kCmdNextTab:
    case kCmdPreviousTab:
        // As a click on the tab would, in a ring.
        TC_Main.SetTabIndex((TC_Main.TabIndex() + (command == kCmdNextTab ? 1 : TC_Main.TabCount() - 1)) %
                            TC_Main.TabCount());
        TC_MainChange();
        break;
    case kCmdStart:
        if (can.start) BB_RunClick();
        break;
    case kCmdStop:
        if (can.stop) BB_StopClick();
        break;
    case kCmdPause:
        if (can.pause) BB_SleepClick();
        break;
    case kCmdContinue:
        if (can.resume) BB_ReRunClick();
        break;
    case kCmdRestart:
        if (can.restart) RestartSelected();
        break;
    case kCmdDependencies:
        if (can.dependencies) BB_DependClick();
        break;
    case kCmdCopyName:
        if (can.copy) CopyToClipboard(model_.Selected()->serviceName);
        break;
    case kCmdCopyDetails:
        if (can.copy) CopyToClipboard(DetailsText());
        break;
    case kCmdSaveList:
        if (can.saveList) SaveList();
        break;
    default:
        break;
    }
}

bool TForm1::GLB_ListKeyPress(char key) {
    if (key == '\x03') {  // Ctrl+C
        ExecuteCommand(kCmdCopyName);
        return true;
    }
    if (static_cast<unsigned char>(key) < 0x20) return false;
    const int found = search_.Type(key, ::GetTickCount64(), model_.Entries(model_.CurrentTab()), GLB_List.ItemIndex());
    if (found >= 0 && found != GLB_List.ItemIndex()) {
        GLB_List.SetItemIndex(found);
        GLB_ListClick();
    }
    return true;
}

void TForm1::GLB_ListContextPopup(POINT screen) {
    const CommandStates can = model_.Commands();
    TPopupMenu menu;
    menu.Add(kCmdStart, "開始(&S)", can.start);
    menu.Add(kCmdStop, "停止(&T)", can.stop);
    menu.Add(kCmdPause, "一時停止(&P)", can.pause);
    menu.Add(kCmdContinue, "再開(&R)", can.resume);
    menu.Add(kCmdRestart, "再起動(&E)", can.restart);
    menu.AddSeparator();
    menu.Add(kCmdDependencies, "依存関係(&D)...", can.dependencies);
    menu.AddSeparator();
    menu.Add(kCmdCopyName, "サービス名をコピー(&N)", can.copy);
    menu.Add(kCmdCopyDetails, "詳細をコピー(&C)", can.copy);
    menu.AddSeparator();
    menu.Add(kCmdSaveList, "一覧を保存(&L)...", can.saveList);
    menu.Popup(Handle(), screen);
}

std::string TForm1::DetailsText() const {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr) return {};
    const ServiceDetailsShown& details = model_.Details();
    const std::optional<uint32_t> start = details.startItem ? StartValueOfItem(*details.startItem) : std::nullopt;
    // The memo has no label of its own on the panel.
    const std::pair<std::string, std::string> lines[] = {
        {LL_ServiceName.Caption(), selected->serviceName},
        {LL_DisplayName.Caption(), selected->displayName},
        {LL_Company.Caption(), selected->company},
        {LL_Description.Caption(), selected->description},
        {LL_FileName.Caption(), selected->executablePath},
        {"サービスの説明", details.description},
        {LL_Start.Caption(), start ? kStartTypeItems[static_cast<std::size_t>(*details.startItem)] : ""},
    };
    std::string text;
    for (const auto& [label, value] : lines) {
        text += label + ": ";
        // A value of several lines goes on in indented lines.
        for (const char c : value) {
            if (c == '\r') continue;
            text += c == '\n' ? std::string("\r\n  ") : std::string(1, c);
        }
        text += "\r\n";
    }
    return text;
}

void TForm1::SaveList() {
    if (const std::optional<std::string> file = AskFileToSave(Handle(), "services.csv", "CSV (*.csv)", "csv"))
        SaveListTo(*file);
}

void TForm1::CopyToClipboard(const std::string& text) {
    if (!CopyTextToClipboard(Handle(), text))
        ShowMessageDialog("クリップボードにコピーできませんでした。", mtError, DialogButtons(mbOK), 0, Handle());
}

}  // namespace rondel
