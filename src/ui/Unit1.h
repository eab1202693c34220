// TForm1: the main window. Tabs of running, paused and stopped services over the graphic list
// box, four command buttons under the list, and the details panel of the selected service with
// its start type, the dependencies button, the close button and the home-page banner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/IncrementalSearch.h"
#include "catalogue/ServiceCatalogue.h"
#include "control/ServiceCommands.h"
#include "listbox/GraphicListBox.h"
#include "model/ServiceModel.h"
#include "platform/Platform.h"
#include "toolkit/Button.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/Timer.h"
#include "toolkit/Worker.h"

namespace rondel {

class CatalogueMemory;

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
};

// The commands of the main window's keys and of the list's menu (WM_COMMAND ids).
// What the main window posts itself at its creation: read the services once it shows.
inline constexpr UINT kFirstRefresh = WM_APP + 0x102;

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
};

// The smallest outer size of the window, which is also its size at creation.
inline constexpr int kForm1MinWidth = 640;
inline constexpr int kForm1MinHeight = 480;

// How often the main window asks for the services' states, in milliseconds:
// HKEY_CURRENT_USER\Software\Rondel, "WatchInterval" (REG_DWORD). 0 turns the following off
// (a very large machine, a slow manager); without the value 500; others are held to 250..60000.
unsigned ReadWatchInterval(platform::Platform& system);

class TForm1 : public TForm {
public:
    // Makes the window and its controls and runs FormCreate: the first tab shows, empty, and
    // the catalogue is read on the worker. Not shown yet.
    explicit TForm1(platform::Platform& system);
    ~TForm1() override;

    // The controls, in the order of their windows (which is also the keyboard's tab order).
    TTabControl TC_Main;
    TGraphicListBox GLB_List;
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
    TMemo MM_Description;
    TLabel LL_Start;
    TComboBox CB_Start;
    TBitBtn BB_Update;
    TBitBtn BB_Depend;
    TBitBtn BB_Close;
    TImage IM_Link{SS_BITMAP};
    TStatusBar StatusBar1;
    TImageList IL_Tab{16, 16};

    void FormCreate();
    void FormResize() override;
    // The user chose a tab: it shows with nothing selected.
    void TC_MainChange();
    // The user chose an item: it is selected and its details read and shown.
    void GLB_ListClick();
    // Finds a service by name (ASCII letters in any case) in the running, stopped and paused
    // lists, shows its tab and selects it. False, and nothing changed, when it is in none.
    bool SelectService(const std::string& serviceName);
    void IM_LinkClick();
    // Reads the catalogue again on the worker; then shows the current tab, nothing selected.
    void RefreshServices();
    // F5: the same, then selects the service that was selected again, in the tab where it is now.
    void RefreshKeepingSelection();
    // One of the Form1Command commands.
    void ExecuteCommand(WORD command);
    // Type-to-find and Ctrl+C in the list; true when the character was used.
    bool GLB_ListKeyPress(char key);
    // The list's menu, its items enabled as the buttons they stand for.
    void GLB_ListContextPopup(POINT screen);
    // Asks for a file with the system's save dialog, then writes the CSV of the three tabs into
    // it on the worker (UTF-8 after a byte-order mark, RondelList's --csv columns).
    void SaveList();
    // Writes the CSV of the three tabs into file on the worker; a failure is reported.
    void SaveListTo(const std::string& file);
    // The details as "label: value" lines, in the panel's order.
    std::string DetailsText() const;
    // Stops the selected service, waits until it has stopped, then starts it, on the worker.
    void RestartSelected();
    // The watcher's round: asks for the services' states on its worker and, when they are not
    // those the lists were read as, follows them (FollowServices). Skipped while a request is
    // under way.
    void WatchServices();
    // Reads the lists again, keeping the selected service, the scroll position and a start type
    // chosen and not sent.
    void FollowServices();
    // No more rounds of the watcher (for a window over a machine that only one thread may ask).
    void StopWatching() { watchTimer_.SetEnabled(false); }

    void BB_RunClick() { RunServiceCommand(ServiceCommand::Start); }
    void BB_StopClick() { RunServiceCommand(ServiceCommand::Stop); }
    void BB_SleepClick() { RunServiceCommand(ServiceCommand::Pause); }
    void BB_ReRunClick() { RunServiceCommand(ServiceCommand::Continue); }
    // The error dialog of a refused request.
    void ReportError(const std::string& text);
    void CB_StartChange();
    void BB_UpdateClick();
    // Looks the selected service's dependencies up on the worker, then shows the dependencies
    // window modally.
    void BB_DependClick();

    const ServiceModel& Model() const { return model_; }
    // A request is under way on the worker.
    bool Busy() const { return model_.Busy(); }
    // The index of the selected item in the current tab's list, -1 for none.
    int SelectedIndex() const { return model_.SelectedIndex(); }
    int CurrentTab() const { return model_.CurrentTab(); }
    HICON DriverIcon() const;
    HICON DefaultServiceIcon() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetUpControls();
    void LayOutDetailsPanel();
    void AlignControls();

    // What the window shows of the model: the list of the current tab, the selection with the
    // details panel, what the commands may do, and the status bar.
    void ShowList();
    void ShowSelection();
    void ShowCommands();
    void ShowStatus();
    // The selected service's details: the key's now, the manager's status as soon as it comes.
    // An odd registry value is told once they show.
    void ReadSelectedDetails();
    void AskStatus();
    // Reads the details of what the model now selects and shows tab, list and selection.
    void ShowModel();

    // Starts the job on the worker as the request under way: the status bar says so and the
    // commands wait. False, and nothing started, while another request is under way.
    bool StartRequest(PendingRequest request, TWorker::Job job, bool mustFinish = false);
    // The request is over: the commands are back, the status bar says so.
    void EndRequest();
    // Takes a catalogue a worker read: the tab shown stays, nothing is selected.
    void TakeCatalogue(CatalogueBuild build);
    void RunServiceCommand(ServiceCommand command);
    void CopyToClipboard(const std::string& text);

    platform::Platform system_;
    ServiceModel model_;
    // What the catalogue's reads keep for the next; used by the worker's jobs, one at a time.
    std::shared_ptr<CatalogueMemory> memory_;
    // When the lists were last read, and what they were read as (the live watch compares).
    std::string listedAt_;
    std::shared_ptr<const ServiceStates> listedStates_;
    // Shared with the jobs that read services, which may outlive the window.
    std::shared_ptr<const platform::IconHandle> driverIcon_;
    std::shared_ptr<const platform::IconHandle> defaultIcon_;
    TImageList listGlyphs_ = TImageList::View(nullptr);
    bool readErrorReported_ = false;
    IncrementalSearch search_;
    TWorker worker_;        // the requests, one at a time
    TWorker statusReader_;  // the selected service's status
    TWorker watcher_;       // the services' states, every ReadWatchInterval ms
    TTimer watchTimer_{*this};
    uint64_t selections_ = 0;  // counts the selections, to know whose status an answer is
    // How long the window waits for a status it asked for before it shows the service without.
    static constexpr DWORD kStatusWaitMs = 100;
};

}  // namespace rondel
