// TForm1: the main window. Tabs of running, paused and stopped services over the graphic list
// box, four command buttons under the list, and the details panel of the selected service with
// its start type, the dependencies button, the close button and the home-page banner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "listbox/GraphicListBox.h"
#include "model/ServiceSession.h"
#include "platform/Platform.h"
#include "toolkit/Button.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/Timer.h"
#include "ui/ServiceListBox.h"
#include "ui/WindowExecutor.h"

namespace rondel {

// The child-window ids of the main window's controls; automation and the tests find the
// controls by them.
enum Form1ControlId : int {
    kIdTabMain = 101,
    kIdList,
    kIdButtonPanel,
    kIdRun,
    kIdStop,
    kIdSleep,
    kIdReRun,
    kIdBasePanel,
    kIdIconBevel,
    kIdIcon,
    kIdServiceNameLabel,
    kIdServiceName,
    kIdDisplayNameLabel,
    kIdDisplayName,
    kIdCompanyLabel,
    kIdCompany,
    kIdDescriptionLabel,
    kIdDescription,
    kIdFileNameLabel,
    kIdFileName,
    kIdMemo,
    kIdStartLabel,
    kIdStart,
    kIdUpdate,
    kIdDepend,
    kIdClose,
    kIdLink,
    kIdStatusBar,
    kIdFilterPanel,
    kIdFilterLabel,
    kIdFilter,
    kIdFilterCount,
    kIdMemoName,
    kIdLinkName,
};

// The commands of the main window's keys and of the list's menu (WM_COMMAND ids).
enum Form1Command : WORD {
    kCmdRefresh = 301,  // F5
    kCmdStart,
    kCmdStop,
    kCmdPause,
    kCmdContinue,
    kCmdRestart,
    kCmdDependencies,
    kCmdCopyName,
    kCmdCopyDetails,
    kCmdNextTab,      // Ctrl+Tab, Ctrl+PgDn
    kCmdPreviousTab,  // Ctrl+Shift+Tab, Ctrl+PgUp
    kCmdSaveList,     // the list's menu: every service of the three tabs into a CSV file
    kCmdStopWithDependents,
    kCmdRestartWithDependents,
    kCmdEndProcess,
    kCmdFilter,    // Ctrl+F: the filter field
    kCmdHomePage,  // the list's menu: the banner's question, from the keyboard
};

// The smallest outer size of the window, which is also its size at creation.
inline constexpr int kForm1MinWidth = 640;
inline constexpr int kForm1MinHeight = 480;

// How the window runs its session's jobs: the program's own way by default. A test over the
// in-memory machine, which answers one thread at a time, runs them all on one worker and does
// without the live list.
struct Form1Options {
    bool oneWorker = false;
    bool followServices = true;
};

// The main window: a view of its session. It shows what the session's model holds, changing
// only what differs from what it shows, and hands the person's input to the session; it never
// asks the machine itself and never waits.
class TForm1 : public TForm {
public:
    // Makes the window and its controls and runs FormCreate: the first tab shows, empty, and
    // the session reads the services once the window shows. Not shown yet.
    explicit TForm1(platform::Platform& system, Form1Options options = {});
    ~TForm1() override;

    // The controls, in the order of their windows (which is also the keyboard's tab order).
    TTabControl TC_Main;
    TGraphicListBox GLB_List;
    // Over the list while the filter is open (Ctrl+F): its field and how many services each tab keeps.
    TPanel PL_Filter;
    TLabel LL_Filter;
    TEdit ED_Filter;
    TLabel LL_FilterCount;
    TPanel PL_Btn;
    TBitBtn BB_Run;
    TBitBtn BB_Stop;
    TBitBtn BB_Sleep;
    TBitBtn BB_ReRun;
    TPanel PL_Base;
    TImage IM_Icon{SS_ICON};
    TBevel BV_Icon;
    TLabel LL_ServiceName;
    TEdit ED_ServiceName;
    TLabel LL_DisplayName;
    TEdit ED_DisplayName;
    TLabel LL_Company;
    TEdit ED_Company;
    TLabel LL_Description;
    TEdit ED_Description;
    TLabel LL_FileName;
    TEdit ED_FileName;
    // Labels of no size that give the memo and the banner their names, as a screen reader takes
    // a control's name from the label before it.
    TLabel LL_MemoName;
    TMemo MM_Description;
    TLabel LL_Start;
    TComboBox CB_Start;
    TBitBtn BB_Update;
    TBitBtn BB_Depend;
    TBitBtn BB_Close;
    TLabel LL_LinkName;
    TImage IM_Link{SS_BITMAP};
    TStatusBar StatusBar1;
    TImageList IL_Tab{16, 16};

    void FormCreate();
    void FormResize() override;
    void SystemColorsChanged() override { ApplyServiceListLook(GLB_List); }

    // The person's input, handed to the session.
    void TC_MainChange();
    void GLB_ListClick();
    // Type-to-find and Ctrl+C in the list; true when the character was used.
    bool GLB_ListKeyPress(char key);
    // The list's menu, its items enabled as the buttons they stand for.
    void GLB_ListContextPopup(POINT screen);
    void IM_LinkClick();
    void CB_StartChange();
    // Esc: asks whether to stop the selected service, or to pause it when it cannot be stopped
    // (いいえ the default, Esc answering いいえ); はい does what the button does.
    void AskToStopOnEscape();
    // Ctrl+F opens the filter field; Esc in it clears and closes it.
    void OpenFilter();
    void CloseFilter();
    void BB_RunClick() { session_->Ask(Request::Start); }
    void BB_StopClick() { session_->Ask(Request::Stop); }
    void BB_SleepClick() { session_->Ask(Request::Pause); }
    void BB_ReRunClick() { session_->Ask(Request::Continue); }
    void BB_UpdateClick() { session_->Ask(Request::StartType); }
    void BB_DependClick() { session_->Ask(Request::Dependencies); }
    // One of the Form1Command commands; fromMenu: chosen in the list's menu, whose item showed
    // enabled (carried out, or refused with a word, never dropped).
    void ExecuteCommand(WORD command, bool fromMenu = false);

    ServiceSession& Session() { return *session_; }
    const ServiceModel& Model() const { return session_->Model(); }
    // No job of the session is under way, and all it brought is shown and told.
    bool Settled() const { return session_->Idle() && !session_->HasSomethingToTell() && !telling_; }
    // No more rounds of the live list.
    void StopWatching();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Shown;

    void SetUpControls();
    void LayOutDetailsPanel();
    void AlignControls();

    // Shows the session: the caption, the tab's list, the selection with the details panel,
    // what the commands may do and the status bar, each only where it differs from what shows.
    void ShowSession();
    void ShowList();
    void ShowDetails();
    void ShowCommands();
    // What the session has to tell: its dialogs one after the other, the dependencies window.
    void TellSession();
    // Asks for a file with the system's save dialog, then has the session write the CSV of the
    // three tabs into it.
    void SaveList(bool fromMenu);
    void CopyToClipboard(const std::string& text);

    std::unique_ptr<WindowExecutor> executor_;
    std::unique_ptr<ServiceSession> session_;
    std::unique_ptr<Shown> shown_;
    TImageList listGlyphs_ = TImageList::View(nullptr);
    TTimer watchTimer_{*this};
    bool followServices_;
    bool telling_ = false;     // a dialog of the session's is up
    bool tellPosted_ = false;  // the session's news will be told
};

}  // namespace rondel
