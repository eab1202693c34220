// TForm1, the main window: its controls and their set-up. Its layout, what it shows of its
// session, and what it hands the session of the person's input are in Unit1Layout, Unit1View
// and Unit1Input.
#include "ui/Unit1.h"

#include "control/StartType.h"
#include "platform/Win32Platform.h"
#include "text/ApplicationTitle.h"
#include "toolkit/Messages.h"
#include "ui/FormSizes.h"
#include "ui/HomePage.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit1Shown.h"

namespace rondel {

using namespace platform;

namespace {

const char* const kTabCaptions[] = {"開始しているサービス", "一時停止しているサービス", "停止しているサービス"};

// What the session is given by the window: the system's clock and pause, the CSV's conversion
// and the browser's road.
SessionServices WindowServices() {
    return {[]() -> uint64_t { return ::GetTickCount64(); }, [](uint32_t ms) { ::Sleep(ms); },
            [] {
                SYSTEMTIME now{};
                ::GetLocalTime(&now);
                return std::array<int, 3>{now.wHour, now.wMinute, now.wSecond};
            },
            platform::Utf8FromCodePage932, OpenHomePage};
}

}  // namespace

TForm1::TForm1(Platform& system, Form1Options options)
    : TForm("TForm1"),
      executor_(std::make_unique<WindowExecutor>(kWorkerNewsBase, options.oneWorker)),
      session_(std::make_unique<ServiceSession>(system, *executor_, WindowServices())),
      shown_(std::make_unique<Shown>()),
      followServices_(options.followServices) {
    SetUpControls();
    CreateHandle();
    // Below the page's controls: it draws around them, and comes last in the Tab order.
    ::SetWindowPos(TC_Main.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    executor_->Attach(Handle());
    session_->OnChanged = [this] { ShowSession(); };
    FormCreate();
}

TForm1::~TForm1() {
    // The list box must not draw from the image lists while they go.
    GLB_List.SetGlyphs(nullptr);
    DestroyHandle();
}

void TForm1::SetUpControls() {
    SetCaption(kApplicationTitle);
    SetIconResource(kProgramIconId);
    SetMinimumSize(kForm1MinWidth, kForm1MinHeight);
    SetMainForm(true);
    SetBounds(0, 0, Scale(kForm1MinWidth), Scale(kForm1MinHeight));

    TC_Main.SetParent(*this, kIdTabMain);
    for (const char* caption : kTabCaptions) TC_Main.AddTab(caption);
    IL_Tab = TImageList(Scale(16), Scale(16));
    const unique_hbitmap tabPictures = LoadBitmapResource("TABS", Dpi());
    IL_Tab.AddMasked(tabPictures.get(), kTransparentColor);
    TC_Main.SetImages(&IL_Tab);
    TC_Main.SetHotTrack(true);
    TC_Main.SetTabSize(Scale(180), Scale(22));
    TC_Main.SetTabIndex(0);
    TC_Main.OnChange = [this] { TC_MainChange(); };

    GLB_List.SetParent(*this, kIdList);
    ApplyServiceListLook(GLB_List);
    GLB_List.OnClick = [this] { GLB_ListClick(); };

    PL_Filter.SetParent(*this, kIdFilterPanel);
    PL_Filter.SetVisible(false);
    LL_Filter.SetParent(PL_Filter, kIdFilterLabel);
    LL_Filter.SetCaption("絞り込み");
    LL_Filter.SetBounds(Scale(4), Scale(6), Scale(48), Scale(kLabelHeight));
    ED_Filter.SetParent(PL_Filter, kIdFilter);
    ED_Filter.SetBounds(Scale(56), Scale(2), Scale(200), Scale(kEditHeight));
    ED_Filter.OnChange = [this] { session_->SetFilter(ED_Filter.Text()); };
    ED_Filter.OnEscape = [this] { CloseFilter(); };
    LL_FilterCount.SetParent(PL_Filter, kIdFilterCount);
    LL_FilterCount.SetBounds(Scale(264), Scale(6), Scale(360), Scale(kLabelHeight));

    PL_Btn.SetParent(*this, kIdButtonPanel);
    struct Command {
        TBitBtn& button;
        int id;
        const char* caption;
        const char* glyph;
        void (TForm1::*click)();
    };
    const Command commands[] = {
        {BB_Run, kIdRun, "開始(&S)", "GLYPH_START", &TForm1::BB_RunClick},
        {BB_Stop, kIdStop, "停止(&T)", "GLYPH_STOP", &TForm1::BB_StopClick},
        {BB_Sleep, kIdSleep, "一時停止(&P)", "GLYPH_PAUSE", &TForm1::BB_SleepClick},
        {BB_ReRun, kIdReRun, "再開(&R)", "GLYPH_CONTINUE", &TForm1::BB_ReRunClick},
    };
    for (const Command& command : commands) {
        command.button.SetParent(PL_Btn, command.id);
        command.button.SetCaption(command.caption);
        command.button.SetGlyphResource(command.glyph, 2);
        command.button.SetBounds(0, Scale(4), Scale(kCommandButtonWidth), Scale(kCommandButtonHeight));
        command.button.OnClick = [this, click = command.click] { (this->*click)(); };
    }
    // Esc asks before it stops (or pauses) the selected service: in every other window it cancels.
    OnCancel = [this] { AskToStopOnEscape(); };

    PL_Base.SetParent(*this, kIdBasePanel);
    IM_Icon.SetParent(PL_Base, kIdIcon);
    IM_Icon.SetBounds(0, 0, Scale(32), Scale(32));
    BV_Icon.SetParent(PL_Base, kIdIconBevel);

    struct Row {
        TLabel& label;
        int labelId;
        const char* caption;
        int labelWidth;
        TEdit& edit;
        int editId;
    };
    const Row rows[] = {
        {LL_ServiceName, kIdServiceNameLabel, kDetailLabels[0], 57, ED_ServiceName, kIdServiceName},
        {LL_DisplayName, kIdDisplayNameLabel, kDetailLabels[1], 36, ED_DisplayName, kIdDisplayName},
        {LL_Company, kIdCompanyLabel, kDetailLabels[2], 36, ED_Company, kIdCompany},
        {LL_Description, kIdDescriptionLabel, kDetailLabels[3], 36, ED_Description, kIdDescription},
        {LL_FileName, kIdFileNameLabel, kDetailLabels[4], 54, ED_FileName, kIdFileName},
    };
    for (const Row& row : rows) {
        row.label.SetParent(PL_Base, row.labelId);
        row.label.SetCaption(row.caption);
        row.label.SetBounds(0, 0, Scale(row.labelWidth), Scale(kLabelHeight));
        row.edit.SetParent(PL_Base, row.editId);
        row.edit.SetReadOnly(true);
        row.edit.SetTabStop(false);
        row.edit.SetColor(clBtnFace);
        row.edit.SetBounds(0, 0, Scale(100), Scale(kEditHeight));
    }
    LL_MemoName.SetParent(PL_Base, kIdMemoName);
    LL_MemoName.SetCaption(kDetailLabels[5]);
    LL_MemoName.SetBounds(0, 0, 0, 0);
    MM_Description.SetParent(PL_Base, kIdMemo);
    MM_Description.SetTabStop(false);
    MM_Description.SetColor(clBtnFace);
    MM_Description.SetBounds(0, 0, Scale(100), Scale(40));

    LL_Start.SetParent(PL_Base, kIdStartLabel);
    LL_Start.SetCaption(kDetailLabels[6]);
    LL_Start.SetBounds(0, 0, Scale(107), Scale(kLabelHeight));
    CB_Start.SetParent(PL_Base, kIdStart);
    for (const char* item : kStartTypeItems) CB_Start.AddItem(item);
    CB_Start.SetBounds(0, 0, Scale(kStartListWidth), Scale(kStartListOpenHeight));
    CB_Start.OnChange = [this] { CB_StartChange(); };

    struct PanelButton {
        TBitBtn& button;
        int id;
    };
    for (const PanelButton& panelButton : {PanelButton{BB_Update, kIdUpdate}, PanelButton{BB_Depend, kIdDepend},
                                           PanelButton{BB_Close, kIdClose}}) {
        panelButton.button.SetParent(PL_Base, panelButton.id);
        panelButton.button.SetBounds(0, 0, Scale(kPanelButtonWidth), Scale(kPanelButtonHeight));
    }
    BB_Update.SetCaption("更新(&U)");
    BB_Update.SetGlyphResource("GLYPH_UPDATE", 2);
    BB_Update.OnClick = [this] { BB_UpdateClick(); };
    BB_Depend.SetCaption("依存関係");
    BB_Depend.SetGlyphResource("GLYPH_DEPEND", 2);
    BB_Depend.OnClick = [this] { BB_DependClick(); };
    BB_Close.SetKind(bkClose);

    LL_LinkName.SetParent(PL_Base, kIdLinkName);
    LL_LinkName.SetCaption(kHomePageHint);
    LL_LinkName.SetBounds(0, 0, 0, 0);
    IM_Link.SetParent(PL_Base, kIdLink);
    IM_Link.SetBitmapResource("BANNER");
    IM_Link.SetBounds(0, 0, Scale(88), Scale(31));
    IM_Link.OnClick = [this] { IM_LinkClick(); };

    StatusBar1.SetParent(*this, kIdStatusBar);
    StatusBar1.SetSimpleText(StatusText(std::nullopt));
    StatusBar1.SetBounds(0, 0, Scale(kForm1MinWidth), Scale(kStatusBarHeight));

    GLB_List.OnKeyPress = [this](char key) { return GLB_ListKeyPress(key); };
    GLB_List.OnContextPopup = [this](POINT screen, bool) { GLB_ListContextPopup(screen); };
    watchTimer_.OnTimer = [this] { session_->Watch(); };
    SetAccelerators({ACCEL{FVIRTKEY, VK_F5, kCmdRefresh},
                     ACCEL{FVIRTKEY | FCONTROL, VK_TAB, kCmdNextTab},
                     ACCEL{FVIRTKEY | FCONTROL, VK_NEXT, kCmdNextTab},
                     ACCEL{FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, kCmdPreviousTab},
                     ACCEL{FVIRTKEY | FCONTROL, VK_PRIOR, kCmdPreviousTab},
                     ACCEL{FVIRTKEY | FCONTROL, 'F', kCmdFilter}});
    OnCommand = [this](WORD command) { ExecuteCommand(command); };

    SetActiveControl(GLB_List);
}

void TForm1::FormCreate() {
    SetBounds(Left(), Top(), Scale(kForm1MinWidth), Scale(kForm1MinHeight));
    LayOutDetailsPanel();
    FormResize();

    int left = 0;
    for (TBitBtn* button : {&BB_Run, &BB_Stop, &BB_Sleep, &BB_ReRun}) {
        button->SetBounds(left, Scale(4), button->Width(), button->Height());
        left += button->Width() + Scale(4);
    }

    SetHint(IM_Link, kHomePageHint);
    // The window shows at once, its lists empty until the session has read them; the reading
    // begins once the window is on the screen, so that it does not slow the showing.
    ShowSession();
    ::PostMessageA(Handle(), kFirstRefresh, 0, 0);
    CenterOnScreen();
}

void TForm1::StopWatching() {
    followServices_ = false;
    watchTimer_.SetEnabled(false);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFirstRefresh) {
        session_->Start();
        return 0;
    }
    if (message == kTellSession) {
        TellSession();
        return 0;
    }
    if (executor_->Deliver(message)) return 0;
    return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace rondel
