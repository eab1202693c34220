// What TForm1 hands its session of the person's input (clicks, keys, the list's menu), and what
// it tells of the session's news: the dialogs and the dependencies window.
#include <algorithm>
#include <utility>

#include "toolkit/Clipboard.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Menus.h"
#include "toolkit/MessageDialog.h"
#include "ui/HomePage.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace rondel {

void TForm1::TC_MainChange() { session_->ShowTab(static_cast<ServiceTab>(std::clamp(TC_Main.TabIndex(), 0, 2))); }

void TForm1::GLB_ListClick() {
    const int index = GLB_List.ItemIndex();
    if (index != -1) session_->Select(index);
}

void TForm1::CB_StartChange() { session_->ChooseStartType(CB_Start.ItemIndex()); }

namespace {

// The commands of the keys and the menu that are the session's requests.
constexpr std::pair<WORD, Request> kCommandRequests[] = {
    {kCmdRefresh, Request::Refresh},
    {kCmdStart, Request::Start},
    {kCmdStop, Request::Stop},
    {kCmdPause, Request::Pause},
    {kCmdContinue, Request::Continue},
    {kCmdRestart, Request::Restart},
    {kCmdDependencies, Request::Dependencies},
    {kCmdStopWithDependents, Request::StopWithDependents},
    {kCmdRestartWithDependents, Request::RestartWithDependents},
    {kCmdEndProcess, Request::EndProcess},
};

}  // namespace

void TForm1::ExecuteCommand(WORD command, bool fromMenu) {
    for (const auto& [id, request] : kCommandRequests) {
        if (id != command) continue;
        session_->Ask(request, fromMenu);
        return;
    }
    const ServiceModel& model = session_->Model();
    switch (command) {
    case kCmdNextTab:
    case kCmdPreviousTab:
        // As a click on the tab would, in a ring.
        session_->StepTab(command == kCmdNextTab ? 1 : -1);
        break;
    case kCmdCopyName:
        if (model.Commands().copy) CopyToClipboard(model.Selected()->serviceName);
        break;
    case kCmdCopyDetails:
        if (model.Commands().copy) CopyToClipboard(model.DetailsText());
        break;
    case kCmdSaveList:
        SaveList(fromMenu);
        break;
    case kCmdFilter:
        OpenFilter();
        break;
    case kCmdHomePage:
        IM_LinkClick();
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
    return session_->TypeToFind(key);
}

void TForm1::GLB_ListContextPopup(POINT screen) {
    const CommandStates can = session_->Model().Commands();
    TPopupMenu menu;
    menu.Add(kCmdStart, "開始(&S)", can.start);
    menu.Add(kCmdStop, "停止(&T)", can.stop);
    menu.Add(kCmdPause, "一時停止(&P)", can.pause);
    menu.Add(kCmdContinue, "再開(&R)", can.resume);
    menu.Add(kCmdRestart, "再起動(&E)", can.restart);
    menu.AddSeparator();
    menu.Add(kCmdStopWithDependents, "依存サービスも停止(&O)", can.stopWithDependents);
    menu.Add(kCmdRestartWithDependents, "依存サービスも再起動(&A)", can.restartWithDependents);
    menu.Add(kCmdEndProcess, "プロセスを終了(&K)...", can.endProcess);
    menu.AddSeparator();
    menu.Add(kCmdDependencies, "依存関係(&D)...", can.dependencies);
    menu.AddSeparator();
    menu.Add(kCmdCopyName, "サービス名をコピー(&N)", can.copy);
    menu.Add(kCmdCopyDetails, "詳細をコピー(&C)", can.copy);
    menu.AddSeparator();
    menu.Add(kCmdSaveList, "一覧を保存(&L)...", can.saveList);
    menu.Add(kCmdHomePage, "ホームページ(&H)...", true);
    // The item chosen was shown enabled: the session carries it out or says why not.
    if (const int chosen = menu.Popup(Handle(), screen)) ExecuteCommand(static_cast<WORD>(chosen), true);
}

void TForm1::SaveList(bool fromMenu) {
    if (!fromMenu && !session_->Model().Commands().saveList) return;
    if (const std::optional<std::string> file = AskFileToSave(Handle(), "services.csv", "CSV (*.csv)", "csv"))
        session_->SaveList(*file, true);
}

void TForm1::IM_LinkClick() {
    // One request at a time: the banner waits for the one under way.
    if (session_->Model().Busy()) {
        ::MessageBeep(MB_OK);
        return;
    }
    if (!session_->HomePageAllowed()) {
        TellHomePageTurnedOff(*this);
        return;
    }
    if (AskToVisitHomePage(*this)) session_->Ask(Request::HomePage, true);
}

void TForm1::AskToStopOnEscape() {
    const CommandStates can = session_->Model().Commands();
    const ServiceEntry* selected = session_->Model().Selected();
    if (selected == nullptr || (!can.stop && !can.pause)) return;
    const bool stop = can.stop;
    if (!AskNoByDefault("サービス「" + selected->serviceName + "」を" + (stop ? "停止" : "一時停止") + "しますか？", Handle()))
        return;
    session_->Ask(stop ? Request::Stop : Request::Pause, true);
}

void TForm1::OpenFilter() {
    if (!PL_Filter.Visible()) {
        PL_Filter.SetVisible(true);
        AlignControls();
        ShowSession();
    }
    ::SetFocus(ED_Filter.Handle());
    ::SendMessageA(ED_Filter.Handle(), EM_SETSEL, 0, -1);
}

void TForm1::CloseFilter() {
    ED_Filter.SetText("");
    session_->SetFilter("");
    ::SetFocus(GLB_List.Handle());
    PL_Filter.SetVisible(false);
    AlignControls();
}

void TForm1::CopyToClipboard(const std::string& text) {
    if (!CopyTextToClipboard(Handle(), text))
        ShowMessageDialog("クリップボードにコピーできませんでした。", mtError, DialogButtons(mbOK), 0, Handle());
}

void TForm1::TellSession() {
    tellPosted_ = false;
    // The dialog up tells the rest when it has closed.
    if (telling_) return;
    telling_ = true;
    for (;;) {
        if (const std::optional<Notice> notice = session_->TakeNotice()) {
            if (notice->kind == Notice::Refusal) ShowMessageDialog(notice->text, mtError, DialogButtons(mbOK), 0, Handle());
            else ShowUnhandledError(notice->text, Handle());
            continue;
        }
        if (const std::optional<Question> question = session_->TakeQuestion()) {
            // What はい starts cannot be taken back: いいえ is the default.
            if (AskNoByDefault(question->text, Handle())) question->onYes();
            continue;
        }
        if (const std::unique_ptr<DependencyView> view = session_->TakeDependencies()) {
            TForm2 dependencies(*this, *session_, view->service, std::move(view->lists));
            dependencies.ShowModal();
            continue;
        }
        break;
    }
    telling_ = false;
}

}  // namespace rondel
