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
#include "control/ServiceRestart.h"
#include "listbox/GraphicListBox.h"
#include "platform/Platform.h"
#include "toolkit/Button.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/StdCtrls.h"

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
};

// The smallest outer size of the window, which is also its size at creation.
inline constexpr int kForm1MinWidth = 640;
inline constexpr int kForm1MinHeight = 480;

class TForm1 : public TForm {
public:
    // Makes the window and its controls and runs FormCreate: the catalogue is built and the
    // first tab shown. Not shown yet.
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
    void TC_MainChange();
    void GLB_ListClick();
    void ShowDetails(const std::string& item, HICON icon);
    void ClearDetails();
    // Finds a service by name (ASCII letters in any case) in the running, stopped and paused
    // lists, shows its tab and selects it. False, and nothing changed, when it is in none.
    bool SelectService(const std::string& serviceName);
    void IM_LinkClick();
    // Rebuilds the catalogue and shows the current tab again, nothing selected.
    void RefreshServices();
    // F5: rebuilds the catalogue and selects the service that was selected again, in the tab
    // where it is now.
    void RefreshKeepingSelection();
    // One of the Form1Command commands.
    void ExecuteCommand(WORD command);
    // Type-to-find and Ctrl+C in the list; true when the character was used.
    bool GLB_ListKeyPress(char key);
    // The list's menu, its items enabled as the buttons they stand for.
    void GLB_ListContextPopup(POINT screen);
    // The details as "label: value" lines, in the panel's order.
    std::string DetailsText() const;
    // Stops the selected service, waits off this thread until it has stopped, then starts it.
    void RestartSelected();
    bool Restarting() const { return restart_ != nullptr; }

    void BB_RunClick() { RunServiceCommand(ServiceCommand::Start); }
    void BB_StopClick() { RunServiceCommand(ServiceCommand::Stop); }
    void BB_SleepClick() { RunServiceCommand(ServiceCommand::Pause); }
    void BB_ReRunClick() { RunServiceCommand(ServiceCommand::Continue); }
    // The error dialog of a refused request.
    void ReportServiceError(uint32_t errorCode);
    void CB_StartChange();
    void BB_UpdateClick();
    // Shows the dependencies window of the service shown, modally.
    void BB_DependClick();

    // The index of the selected item in the current tab's list, -1 for none.
    int SelectedIndex() const { return selectedIndex_; }
    int CurrentTab() const { return currentTab_; }
    ServiceCatalogue& Catalogue() { return catalogue_; }
    HICON DriverIcon() const;
    HICON DefaultServiceIcon() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct RestartJob;

    void SetUpControls();
    void CopyToClipboard(const std::string& text);
    void RestartProgress(RestartStep step);
    void RestartFinished();
    void AlignControls();
    void LayOutDetailsPanel();
    void RunServiceCommand(ServiceCommand command);
    void EnableCommandButtons(bool run, bool stop, bool sleep, bool reRun);

    platform::Platform& system_;
    ServiceCatalogue catalogue_;
    platform::IconHandle driverIcon_;
    platform::IconHandle defaultIcon_;
    int selectedIndex_ = -1;
    int currentTab_ = 0;
    TImageList listGlyphs_ = TImageList::View(nullptr);
    bool readErrorReported_ = false;
    IncrementalSearch search_;
    std::shared_ptr<RestartJob> restart_;
};

}  // namespace rondel
