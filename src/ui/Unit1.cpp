#include "ui/Unit1.h"

#include <algorithm>
#include <atomic>

#include "catalogue/ServiceEntry.h"
#include "control/ServiceState.h"
#include "control/StartType.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Layout.h"
#include "toolkit/Menus.h"
#include "toolkit/RegistryKey.h"
#include "ui/FormSizes.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit2.h"
#include "utilities/AnsiText.h"
#include "utilities/HomePage.h"
#include "utilities/MessageDialog.h"
#include "utilities/WexFunc.h"

namespace rondel {

using namespace platform;

namespace {

const char* const kTabCaptions[] = {"開始しているサービス", "一時停止しているサービス", "停止しているサービス"};
const char kStatusNotice[] = "F5 キーで最新の状態に更新します";

// What the restart's thread tells the window: a step begun (wParam: RestartStep), the end.
constexpr UINT kRestartProgress = WM_APP + 0x100;
constexpr UINT kRestartDone = WM_APP + 0x101;
// How long a closing window waits for a restart's thread to give up.
constexpr DWORD kRestartCloseWaitMs = 3000;

// The main window's own sizes of its form description.
constexpr int kEditHeight = 20;
constexpr int kCommandButtonWidth = 120;
constexpr int kCommandButtonHeight = 25;
constexpr int kButtonBarHeight = 28;
constexpr int kStartListWidth = 89;
// Tall enough for the three items when the list is open.
constexpr int kStartListOpenHeight = 120;

// Line breaks as an edit field shows them.
std::string WithCrLf(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
        shown += text[i];
    }
    return shown;
}

}  // namespace

TForm1::TForm1(Platform& system) : TForm("TForm1"), system_(system), catalogue_(system) {
    SetUpControls();
    CreateHandle();
    FormCreate();
}

// A restart in progress. The thread shares this with the window and touches nothing else of it:
// when the window goes first, the thread finishes on its own, its news going nowhere.
struct TForm1::RestartJob {
    RestartJob(std::string name, HWND form, const platform::Platform& machine)
        : serviceName(std::move(name)), window(form), system(machine) {}

    std::string serviceName;
    HWND window = nullptr;
    platform::Platform system;
    std::atomic<bool> cancelled{false};
    RestartOutcome outcome;
    HANDLE thread = nullptr;

    static DWORD WINAPI Run(void* parameter) {
        // The thread's own reference: the job lives until both sides are done with it.
        auto* self = static_cast<std::shared_ptr<RestartJob>*>(parameter);
        const std::shared_ptr<RestartJob> job = std::move(*self);
        delete self;
        RestartPacing pacing{[]() -> uint64_t { return ::GetTickCount64(); }, [](uint32_t ms) { ::Sleep(ms); }};
        pacing.cancelled = [&job] { return job->cancelled.load(); };
        pacing.progress = [&job](RestartStep step) {
            ::PostMessageA(job->window, kRestartProgress, static_cast<WPARAM>(step), 0);
        };
        try {
            job->outcome = RestartService(job->system, job->serviceName, pacing);
        } catch (...) {
            job->outcome = RestartOutcome{RestartStep::Stop, ERROR_OUTOFMEMORY};
        }
        ::PostMessageA(job->window, kRestartDone, 0, 0);
        return 0;
    }
};

TForm1::~TForm1() {
    if (restart_) {
        // Give up the wait; a request already with the manager is not waited for long.
        restart_->cancelled = true;
        ::WaitForSingleObject(restart_->thread, kRestartCloseWaitMs);
        ::CloseHandle(restart_->thread);
    }
    // The list box must not draw from the image lists while they go.
    GLB_List.SetGlyphs(nullptr);
    DestroyHandle();
}

void TForm1::SetUpControls() {
    SetCaption("ロンデル");
    SetIconResource(kProgramIconId);
    SetMinimumSize(kForm1MinWidth, kForm1MinHeight);
    SetMainForm(true);
    SetBounds(0, 0, kForm1MinWidth, kForm1MinHeight);

    TC_Main.SetParent(*this, kIdTabMain);
    for (const char* caption : kTabCaptions) TC_Main.AddTab(caption);
    const unique_hbitmap tabPictures = LoadBitmapResource("TABS");
    IL_Tab.AddMasked(tabPictures.get(), kTransparentColor);
    TC_Main.SetImages(&IL_Tab);
    TC_Main.SetHotTrack(true);
    TC_Main.SetTabSize(180, 22);
    TC_Main.SetTabIndex(0);
    TC_Main.OnChange = [this] { TC_MainChange(); };

    GLB_List.SetParent(TC_Main, kIdList);
    ApplyServiceListLook(GLB_List);
    GLB_List.OnClick = [this] { GLB_ListClick(); };

    PL_Btn.SetParent(TC_Main, kIdButtonPanel);
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
        command.button.SetBounds(0, 4, kCommandButtonWidth, kCommandButtonHeight);
        command.button.OnClick = [this, click = command.click] { (this->*click)(); };
    }
    AddCancelButton(BB_Stop);
    AddCancelButton(BB_Sleep);

    PL_Base.SetParent(*this, kIdBasePanel);
    IM_Icon.SetParent(PL_Base, kIdIcon);
    IM_Icon.SetBounds(0, 0, 32, 32);
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
        {LL_ServiceName, kIdServiceNameLabel, "サービス名", 57, ED_ServiceName, kIdServiceName},
        {LL_DisplayName, kIdDisplayNameLabel, "表示名", 36, ED_DisplayName, kIdDisplayName},
        {LL_Company, kIdCompanyLabel, "会社名", 36, ED_Company, kIdCompany},
        {LL_Description, kIdDescriptionLabel, "説　明", 36, ED_Description, kIdDescription},
        {LL_FileName, kIdFileNameLabel, "実ファイル", 54, ED_FileName, kIdFileName},
    };
    for (const Row& row : rows) {
        row.label.SetParent(PL_Base, row.labelId);
        row.label.SetCaption(row.caption);
        row.label.SetBounds(0, 0, row.labelWidth, kLabelHeight);
        row.edit.SetParent(PL_Base, row.editId);
        row.edit.SetReadOnly(true);
        row.edit.SetTabStop(false);
        row.edit.SetColor(clBtnFace);
        row.edit.SetBounds(0, 0, 100, kEditHeight);
    }
    MM_Description.SetParent(PL_Base, kIdMemo);
    MM_Description.SetTabStop(false);
    MM_Description.SetColor(clBtnFace);
    MM_Description.SetBounds(0, 0, 100, 40);

    LL_Start.SetParent(PL_Base, kIdStartLabel);
    LL_Start.SetCaption("スタートアップの種類");
    LL_Start.SetBounds(0, 0, 107, kLabelHeight);
    CB_Start.SetParent(PL_Base, kIdStart);
    for (const char* item : kStartTypeItems) CB_Start.AddItem(item);
    CB_Start.SetBounds(0, 0, kStartListWidth, kStartListOpenHeight);
    CB_Start.OnChange = [this] { CB_StartChange(); };

    struct PanelButton {
        TBitBtn& button;
        int id;
    };
    for (const PanelButton& panelButton : {PanelButton{BB_Update, kIdUpdate}, PanelButton{BB_Depend, kIdDepend},
                                           PanelButton{BB_Close, kIdClose}}) {
        panelButton.button.SetParent(PL_Base, panelButton.id);
        panelButton.button.SetBounds(0, 0, kPanelButtonWidth, kPanelButtonHeight);
    }
    BB_Update.SetCaption("更新(&U)");
    BB_Update.SetGlyphResource("GLYPH_UPDATE", 2);
    BB_Update.OnClick = [this] { BB_UpdateClick(); };
    BB_Depend.SetCaption("依存関係");
    BB_Depend.SetGlyphResource("GLYPH_DEPEND", 2);
    BB_Depend.OnClick = [this] { BB_DependClick(); };
    BB_Close.SetKind(bkClose);

    IM_Link.SetParent(PL_Base, kIdLink);
    IM_Link.SetBitmapResource("BANNER");
    IM_Link.SetBounds(0, 0, 88, 31);
    IM_Link.OnClick = [this] { IM_LinkClick(); };

    StatusBar1.SetParent(*this, kIdStatusBar);
    StatusBar1.SetSimpleText(kStatusNotice);
    StatusBar1.SetBounds(0, 0, kForm1MinWidth, kStatusBarHeight);

    GLB_List.OnKeyPress = [this](char key) { return GLB_ListKeyPress(key); };
    GLB_List.OnContextPopup = [this](POINT screen, bool) { GLB_ListContextPopup(screen); };
    SetAccelerators({ACCEL{FVIRTKEY, VK_F5, kCmdRefresh}});
    OnCommand = [this](WORD command) { ExecuteCommand(command); };

    SetActiveControl(GLB_List);
}

void TForm1::FormCreate() {
    selectedIndex_ = -1;
    currentTab_ = 0;

    TWexProductInfo info;
    if (GetProductInfo(system_, system_.files.ModuleFileName(), info) == 0)
        SetCaption(info.ProductName + "  Ver. " + info.ProductVersion);

    driverIcon_ = LoadSystemIcon(system_, kDriverIconIndex);
    defaultIcon_ = LoadSystemIcon(system_, kDefaultServiceIconIndex);

    SetBounds(Left(), Top(), kForm1MinWidth, kForm1MinHeight);
    LayOutDetailsPanel();
    FormResize();

    int left = 0;
    for (TBitBtn* button : {&BB_Run, &BB_Stop, &BB_Sleep, &BB_ReRun}) {
        button->SetBounds(left, 4, button->Width(), button->Height());
        left += button->Width() + 4;
    }

    SetHint(IM_Link, "ミルテへアクセスします");
    RefreshServices();
    CenterOnScreen();
}

void TForm1::LayOutDetailsPanel() {
    PL_Base.SetBounds(PL_Base.Left(), PL_Base.Top(), PL_Base.Width(), 7 * (ED_ServiceName.Height() + 4) + 4);
    BV_Icon.SetBounds(4, 4, IM_Icon.Width() + 2, IM_Icon.Height() + 2);
    IM_Icon.SetBounds(BV_Icon.Left() + 1, BV_Icon.Top() + 1, IM_Icon.Width(), IM_Icon.Height());

    const int labelLeft = BV_Icon.Left() + BV_Icon.Width() + 4;
    const int editLeft = labelLeft + LL_ServiceName.Width() + 4;
    // Each label is centred on its edit; each edit lies 4 below the one above.
    const auto row = [&](TLabel& label, TEdit& edit, int top) {
        edit.SetBounds(editLeft, top, edit.Width(), edit.Height());
        edit.SetText("");
        label.SetBounds(labelLeft, top + (edit.Height() - label.Height()) / 2, label.Width(), label.Height());
    };
    row(LL_ServiceName, ED_ServiceName, 4);
    CB_Start.SetBounds(CB_Start.Left(), ED_ServiceName.Top(), CB_Start.Width(), kStartListOpenHeight);
    LL_Start.SetBounds(LL_Start.Left(), LL_ServiceName.Top(), LL_Start.Width(), LL_Start.Height());
    CB_Start.SetItemIndex(2);
    BB_Update.SetBounds(BB_Update.Left(), 4, BB_Update.Width(), BB_Update.Height());
    BB_Depend.SetBounds(BB_Depend.Left(), BB_Update.Top() + BB_Update.Height() + 8, BB_Depend.Width(),
                        BB_Depend.Height());

    TEdit* previous = &ED_ServiceName;
    for (auto [label, edit] : {std::pair<TLabel*, TEdit*>{&LL_DisplayName, &ED_DisplayName},
                               {&LL_Company, &ED_Company},
                               {&LL_Description, &ED_Description},
                               {&LL_FileName, &ED_FileName}}) {
        row(*label, *edit, previous->Top() + previous->Height() + 4);
        previous = edit;
    }
    const int memoTop = ED_FileName.Top() + ED_FileName.Height() + 4;
    MM_Description.SetBounds(editLeft, memoTop, MM_Description.Width(), PL_Base.Height() - memoTop - 4);
    MM_Description.SetText("");
}

void TForm1::AlignControls() {
    RECT area{0, 0, ClientWidth(), ClientHeight()};
    {
        TLayoutBatch batch(3);
        batch.Place(StatusBar1, DockBottom(area, kStatusBarHeight));
        batch.Place(PL_Base, DockBottom(area, PL_Base.Height()));
        batch.Place(TC_Main, area);
    }
    RECT page = TC_Main.DisplayRect();
    TLayoutBatch batch(2);
    batch.Place(PL_Btn, DockBottom(page, kButtonBarHeight));
    batch.Place(GLB_List, page);
}

void TForm1::FormResize() {
    if (Width() < kForm1MinWidth || Height() < kForm1MinHeight) {
        SetBounds(Left(), Top(), std::max(Width(), kForm1MinWidth), std::max(Height(), kForm1MinHeight));
        return;  // the new size comes back here
    }
    AlignControls();

    const int closeLeft = PL_Base.Width() - BB_Close.Width() - 4;
    const int closeTop = PL_Base.Height() - BB_Close.Height() - 4;
    const int labelLeft = LL_ServiceName.Left();
    const int labelWidth = LL_ServiceName.Width();
    const int startLeft = closeLeft - CB_Start.Width() - 4;

    TLayoutBatch batch(14);
    batch.Place(BB_Close, closeLeft, closeTop, BB_Close.Width(), BB_Close.Height());
    batch.Place(IM_Link, closeLeft, closeTop - IM_Link.Height() - 4, IM_Link.Width(), IM_Link.Height());
    batch.Move(BB_Depend, closeLeft, BB_Depend.Top());
    batch.Move(BB_Update, closeLeft, BB_Update.Top());
    // The service name ends half way between the label column and the button column.
    batch.Place(ED_ServiceName, labelLeft + labelWidth + 4, ED_ServiceName.Top(),
                (closeLeft - labelLeft) / 2 - labelWidth - 4, ED_ServiceName.Height());
    batch.Move(CB_Start, startLeft, CB_Start.Top());
    batch.Move(LL_Start, startLeft - LL_Start.Width() - 4, LL_Start.Top());
    for (TWinControl* wide : std::initializer_list<TWinControl*>{&ED_DisplayName, &ED_Company, &ED_Description,
                                                                 &ED_FileName, &MM_Description}) {
        batch.Place(*wide, wide->Left(), wide->Top(), closeLeft - wide->Left() - 4, wide->Height());
    }
}

void TForm1::TC_MainChange() {
    currentTab_ = std::clamp(TC_Main.TabIndex(), 0, 2);
    selectedIndex_ = -1;
    FillServiceListBox(GLB_List, catalogue_.List(static_cast<ServiceTab>(currentTab_)), listGlyphs_);
    ClearDetails();
}

void TForm1::EnableCommandButtons(bool run, bool stop, bool sleep, bool reRun) {
    // While a restart runs no other command may be given.
    BB_Run.SetEnabled(run && !Restarting());
    BB_Stop.SetEnabled(stop && !Restarting());
    BB_Sleep.SetEnabled(sleep && !Restarting());
    BB_ReRun.SetEnabled(reRun && !Restarting());
}

void TForm1::GLB_ListClick() {
    selectedIndex_ = GLB_List.ItemIndex();
    if (selectedIndex_ == -1) return;
    switch (currentTab_) {
    case kRunningTab:
        EnableCommandButtons(false, true, true, false);
        break;
    case kPausedTab:
        EnableCommandButtons(false, true, false, true);
        break;
    default:
        EnableCommandButtons(true, false, false, false);
        break;
    }
    StateList& list = catalogue_.List(static_cast<ServiceTab>(currentTab_));
    if (selectedIndex_ >= static_cast<int>(list.items.size())) return;
    const IconHandle icon = list.images->GetIcon(selectedIndex_);
    ShowDetails(list.items[static_cast<std::size_t>(selectedIndex_)], reinterpret_cast<HICON>(icon.get()));
}

void TForm1::ShowDetails(const std::string& item, HICON icon) {
    BB_Update.SetEnabled(false);
    BB_Depend.SetEnabled(true);
    ServiceEntry entry;
    SplitServiceItem(item, entry);
    // A registry value of the wrong kind leaves here, before the panel changes.
    const ServiceRegistryDetails details = ReadServiceRegistryDetails(system_, entry.serviceName);

    IM_Icon.SetIcon(icon);
    ED_ServiceName.SetText(entry.serviceName);
    CB_Start.SetEnabled(true);
    CB_Start.SetColor(clWindow);
    CB_Start.SetItemIndex(ItemOfStartValue(details.startValue));
    ED_DisplayName.SetText(entry.displayName);
    ED_Company.SetText(entry.company);
    ED_Description.SetText(entry.description);
    ED_FileName.SetText(entry.executablePath);
    MM_Description.SetText(WithCrLf(details.description));

    const ServiceStatus status = QueryCurrentStatus(system_, entry.serviceName);
    if ((status.controlsAccepted & kServiceAcceptStop) == 0) BB_Stop.SetEnabled(false);
    if ((status.controlsAccepted & kServiceAcceptPauseContinue) == 0) {
        BB_Sleep.SetEnabled(false);
        BB_ReRun.SetEnabled(false);
    }
}

void TForm1::ClearDetails() {
    IM_Icon.SetIcon(nullptr);
    ED_ServiceName.SetText("");
    CB_Start.SetItemIndex(2);
    for (TEdit* edit : {&ED_DisplayName, &ED_Company, &ED_Description, &ED_FileName,
                        static_cast<TEdit*>(&MM_Description)})
        edit->SetText("");
    CB_Start.SetEnabled(false);
    CB_Start.SetColor(clBtnFace);
    for (TBitBtn* button : {&BB_Update, &BB_Depend, &BB_Run, &BB_Stop, &BB_Sleep, &BB_ReRun})
        button->SetEnabled(false);
}

bool TForm1::SelectService(const std::string& serviceName) {
    const std::string wanted = AsciiLower(serviceName);
    for (const ServiceTab tab : {kRunningTab, kStoppedTab, kPausedTab}) {
        const auto& items = catalogue_.List(tab).items;
        for (std::size_t k = 0; k < items.size(); ++k) {
            ServiceEntry entry;
            SplitServiceItem(items[k], entry);
            if (AsciiLower(entry.serviceName) != wanted) continue;
            currentTab_ = tab;
            TC_Main.SetTabIndex(tab);
            TC_MainChange();
            selectedIndex_ = static_cast<int>(k);
            GLB_List.SetItemIndex(selectedIndex_);
            GLB_ListClick();
            return true;
        }
    }
    return false;
}

void TForm1::BB_DependClick() {
    TForm2 dependencies(system_, *this);
    dependencies.ShowModal();
}

void TForm1::IM_LinkClick() { VisitHomePage(system_, *this); }

void TForm1::RefreshServices() {
    selectedIndex_ = -1;
    catalogue_.Clear();
    GLB_List.Items().Clear();
    ClearDetails();
    const BuildResult result = catalogue_.BuildServiceLists(defaultIcon_.get());
    TC_Main.SetTabIndex(currentTab_);
    TC_MainChange();
    // One odd registry value is reported once, after the lists are shown.
    if (!result.readErrors.empty() && !readErrorReported_) {
        readErrorReported_ = true;
        ShowErrorLater(result.readErrors.front().message);
    }
}

void TForm1::RunServiceCommand(ServiceCommand command) {
    if (selectedIndex_ == -1) return;
    const std::string serviceName = ED_ServiceName.Text();
    // The handles stay open until the window shows the outcome; the service's goes first.
    ServiceCommandRequest request(system_, serviceName, command);
    const uint32_t error = request.Send();
    if (error != 0) {
        ReportServiceError(error);
        return;
    }
    RefreshServices();
    const ServiceTab target = CommandSpec(command).targetTab;
    TC_Main.SetTabIndex(target);
    TC_MainChange();
    const auto& items = catalogue_.List(target).items;
    for (std::size_t k = 0; k < items.size(); ++k) {
        ServiceEntry entry;
        SplitServiceItem(items[k], entry);
        if (entry.serviceName != serviceName) continue;
        selectedIndex_ = static_cast<int>(k);
        GLB_List.SetItemIndex(selectedIndex_);
        GLB_ListClick();
        break;
    }
}

void TForm1::RefreshKeepingSelection() {
    const std::string serviceName = selectedIndex_ == -1 ? std::string() : ED_ServiceName.Text();
    RefreshServices();
    if (!serviceName.empty()) SelectService(serviceName);
}

void TForm1::ExecuteCommand(WORD command) {
    // A menu's command comes after the menu has gone; the buttons say whether it still applies.
    const auto clickIfEnabled = [](TBitBtn& button) {
        if (button.Enabled()) button.Click();
    };
    switch (command) {
    case kCmdRefresh:
        RefreshKeepingSelection();
        break;
    case kCmdStart:
        clickIfEnabled(BB_Run);
        break;
    case kCmdStop:
        clickIfEnabled(BB_Stop);
        break;
    case kCmdPause:
        clickIfEnabled(BB_Sleep);
        break;
    case kCmdContinue:
        clickIfEnabled(BB_ReRun);
        break;
    case kCmdRestart:
        if (BB_Stop.Enabled()) RestartSelected();
        break;
    case kCmdDependencies:
        clickIfEnabled(BB_Depend);
        break;
    case kCmdCopyName:
        if (selectedIndex_ != -1) CopyToClipboard(ED_ServiceName.Text());
        break;
    case kCmdCopyDetails:
        if (selectedIndex_ != -1) CopyToClipboard(DetailsText());
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
    const auto& items = catalogue_.List(static_cast<ServiceTab>(currentTab_)).items;
    const int found = search_.Type(key, ::GetTickCount64(), items, GLB_List.ItemIndex());
    if (found >= 0 && found != GLB_List.ItemIndex()) {
        GLB_List.SetItemIndex(found);
        GLB_ListClick();
    }
    return true;
}

void TForm1::GLB_ListContextPopup(POINT screen) {
    const bool selected = selectedIndex_ != -1;
    TPopupMenu menu;
    menu.Add(kCmdStart, "開始(&S)", BB_Run.Enabled());
    menu.Add(kCmdStop, "停止(&T)", BB_Stop.Enabled());
    menu.Add(kCmdPause, "一時停止(&P)", BB_Sleep.Enabled());
    menu.Add(kCmdContinue, "再開(&R)", BB_ReRun.Enabled());
    menu.Add(kCmdRestart, "再起動(&E)", BB_Stop.Enabled());
    menu.AddSeparator();
    menu.Add(kCmdDependencies, "依存関係(&D)...", BB_Depend.Enabled());
    menu.AddSeparator();
    menu.Add(kCmdCopyName, "サービス名をコピー(&N)", selected);
    menu.Add(kCmdCopyDetails, "詳細をコピー(&C)", selected);
    menu.Popup(Handle(), screen);
}

std::string TForm1::DetailsText() const {
    // The memo has no label of its own on the panel.
    const std::pair<std::string, std::string> lines[] = {
        {LL_ServiceName.Caption(), ED_ServiceName.Text()}, {LL_DisplayName.Caption(), ED_DisplayName.Text()},
        {LL_Company.Caption(), ED_Company.Text()},         {LL_Description.Caption(), ED_Description.Text()},
        {LL_FileName.Caption(), ED_FileName.Text()},       {"サービスの説明", MM_Description.Text()},
        {LL_Start.Caption(), CB_Start.Text()},
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

void TForm1::CopyToClipboard(const std::string& text) {
    if (!CopyTextToClipboard(Handle(), text))
        ShowMessageDialog("クリップボードにコピーできませんでした。", mtError, DialogButtons(mbOK), 0);
}

void TForm1::RestartSelected() {
    if (selectedIndex_ == -1 || Restarting()) return;
    auto job = std::make_shared<RestartJob>(ED_ServiceName.Text(), Handle(), system_);
    auto* threadReference = new std::shared_ptr<RestartJob>(job);
    job->thread = ::CreateThread(nullptr, 0, &RestartJob::Run, threadReference, 0, nullptr);
    if (job->thread == nullptr) {
        delete threadReference;
        ReportServiceError(::GetLastError());
        return;
    }
    restart_ = std::move(job);
    EnableCommandButtons(false, false, false, false);
    RestartProgress(RestartStep::Stop);
}

void TForm1::RestartProgress(RestartStep step) {
    if (!restart_) return;
    const std::string& name = restart_->serviceName;
    StatusBar1.SetSimpleText(step == RestartStep::Start ? "サービス「" + name + "」を開始しています…"
                                                        : "サービス「" + name + "」を停止しています…");
}

void TForm1::RestartFinished() {
    if (!restart_) return;
    const std::shared_ptr<RestartJob> job = std::move(restart_);
    ::WaitForSingleObject(job->thread, INFINITE);  // it has posted its last news
    ::CloseHandle(job->thread);
    StatusBar1.SetSimpleText(kStatusNotice);
    const RestartOutcome& outcome = job->outcome;
    if (outcome.timedOut) {
        ShowMessageDialog("サービス「" + job->serviceName + "」が時間内に停止しませんでした。再起動を中止しました。", mtError,
                          DialogButtons(mbOK), 0);
    } else if (outcome.step != RestartStep::Done) {
        ReportServiceError(outcome.error);
    }
    RefreshServices();
    SelectService(job->serviceName);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRestartProgress:
        RestartProgress(static_cast<RestartStep>(wParam));
        return 0;
    case kRestartDone:
        RestartFinished();
        return 0;
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}

void TForm1::ReportServiceError(uint32_t errorCode) {
    ShowMessageDialog(ServiceErrorText(errorCode), mtError, DialogButtons(mbOK), 0);
}

void TForm1::CB_StartChange() { BB_Update.SetEnabled(true); }

void TForm1::BB_UpdateClick() {
    BB_Update.SetEnabled(false);
    const auto startValue = StartValueOfItem(CB_Start.ItemIndex());
    if (!startValue) return;
    const std::string serviceName = ED_ServiceName.Text();
    if (ChangeStartType(system_, serviceName, *startValue) == 0) return;

    // The choice was never applied: show what is stored, then say so.
    uint32_t stored = 0;
    try {
        stored = ReadServiceRegistryDetails(system_, serviceName).startValue;
    } catch (const RegistryError&) {
        // An unreadable value shows as "無効", as in the details.
    }
    CB_Start.SetItemIndex(ItemOfStartValue(stored));
    throw RegistryError(RegistryKey::SetDataFailedText("Start"));
}

HICON TForm1::DriverIcon() const { return reinterpret_cast<HICON>(driverIcon_.get()); }

HICON TForm1::DefaultServiceIcon() const { return reinterpret_cast<HICON>(defaultIcon_.get()); }

}  // namespace rondel
