#include "ui/Unit1.h"

#include <algorithm>

#include "catalogue/ServiceEntry.h"
#include "catalogue/WexFunc.h"
#include "control/StartType.h"
#include "text/ApplicationTitle.h"
#include "toolkit/Clipboard.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Layout.h"
#include "toolkit/Menus.h"
#include "toolkit/MessageDialog.h"
#include "ui/FormSizes.h"
#include "ui/ServiceListBox.h"

namespace rondel {

using namespace platform;

namespace {

const char* const kTabCaptions[] = {"開始しているサービス", "一時停止しているサービス", "停止しているサービス"};
constexpr int kTabCount = 3;

// What the workers post to the window when they have news.
constexpr UINT kWorkerNews = WM_APP + 0x100;
constexpr UINT kStatusNews = WM_APP + 0x101;

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

TForm1::TForm1(Platform& system)
    : TForm("TForm1"), system_(system), worker_(kWorkerNews), statusReader_(kStatusNews) {
    SetUpControls();
    CreateHandle();
    // Below the page's controls: it draws around them, and comes last in the Tab order.
    ::SetWindowPos(TC_Main.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    worker_.Attach(Handle());
    statusReader_.Attach(Handle());
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

    GLB_List.SetParent(*this, kIdList);
    ApplyServiceListLook(GLB_List);
    GLB_List.OnClick = [this] { GLB_ListClick(); };

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
    StatusBar1.SetSimpleText(StatusText(std::nullopt));
    StatusBar1.SetBounds(0, 0, kForm1MinWidth, kStatusBarHeight);

    GLB_List.OnKeyPress = [this](char key) { return GLB_ListKeyPress(key); };
    GLB_List.OnContextPopup = [this](POINT screen, bool) { GLB_ListContextPopup(screen); };
    SetAccelerators({ACCEL{FVIRTKEY, VK_F5, kCmdRefresh},
                     ACCEL{FVIRTKEY | FCONTROL, VK_TAB, kCmdNextTab},
                     ACCEL{FVIRTKEY | FCONTROL, VK_NEXT, kCmdNextTab},
                     ACCEL{FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, kCmdPreviousTab},
                     ACCEL{FVIRTKEY | FCONTROL, VK_PRIOR, kCmdPreviousTab}});
    OnCommand = [this](WORD command) { ExecuteCommand(command); };

    SetActiveControl(GLB_List);
}

void TForm1::FormCreate() {
    TWexProductInfo info;
    if (GetProductInfo(system_, system_.files.ModuleFileName(), info) == 0)
        SetCaption(info.ProductName + "  Ver. " + info.ProductVersion);

    driverIcon_ = std::make_shared<const IconHandle>(LoadSystemIcon(system_, kDriverIconIndex));
    defaultIcon_ = std::make_shared<const IconHandle>(LoadSystemIcon(system_, kDefaultServiceIconIndex));

    SetBounds(Left(), Top(), kForm1MinWidth, kForm1MinHeight);
    LayOutDetailsPanel();
    FormResize();

    int left = 0;
    for (TBitBtn* button : {&BB_Run, &BB_Stop, &BB_Sleep, &BB_ReRun}) {
        button->SetBounds(left, 4, button->Width(), button->Height());
        left += button->Width() + 4;
    }

    SetHint(IM_Link, "ミルテへアクセスします");
    // The window shows at once, its lists empty until the worker has read the catalogue; the
    // reading begins once the window is on the screen, so that it does not slow the showing.
    ShowModel();
    StatusBar1.SetSimpleText(StatusText(PendingRequest{RequestKind::Refresh, {}}));
    ::PostMessageA(Handle(), kFirstRefresh, 0, 0);
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
    // The page lies over the strip's display area.
    RECT page = TC_Main.DisplayRect();
    ::OffsetRect(&page, TC_Main.Left(), TC_Main.Top());
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
    model_.ShowTab(static_cast<ServiceTab>(std::clamp(TC_Main.TabIndex(), 0, 2)));
    ShowModel();
}

void TForm1::GLB_ListClick() {
    const int index = GLB_List.ItemIndex();
    if (index == -1) return;
    model_.Select(index);
    ReadSelectedDetails();
}

bool TForm1::SelectService(const std::string& serviceName) {
    if (!model_.SelectService(serviceName)) return false;
    ShowList();
    ReadSelectedDetails();
    return true;
}

void TForm1::ReadSelectedDetails() {
    ++selections_;
    const ServiceEntry* selected = model_.Selected();
    std::string readError;
    if (selected != nullptr) {
        model_.SetDetails(ReadRegistryDetailsShown(system_, selected->serviceName, readError), false);
        AskStatus();
    }
    ShowSelection();
    // Told once the panel shows the service it belongs to.
    if (!readError.empty()) ShowUnhandledError(readError, Handle());
}

void TForm1::ShowModel() {
    ShowList();
    if (model_.Selected() != nullptr) ReadSelectedDetails();
    else ShowSelection();
}

void TForm1::ShowList() {
    const ServiceTab tab = model_.CurrentTab();
    TC_Main.SetTabIndex(tab);
    const StateList* list = model_.List(tab);
    FillServiceListBox(GLB_List, model_.Entries(tab), list != nullptr ? list->images.get() : nullptr, listGlyphs_);
}

void TForm1::ShowSelection() {
    const int index = model_.SelectedIndex();
    if (GLB_List.ItemIndex() != index) GLB_List.SetItemIndex(index);
    const ServiceEntry* selected = model_.Selected();
    const ServiceDetailsShown& details = model_.Details();
    if (selected != nullptr) {
        const IconHandle icon = model_.List(model_.CurrentTab())->images->GetIcon(index);
        IM_Icon.SetIcon(reinterpret_cast<HICON>(icon.get()));
    } else {
        IM_Icon.SetIcon(nullptr);
    }
    ED_ServiceName.SetText(selected != nullptr ? selected->serviceName : std::string());
    ED_DisplayName.SetText(selected != nullptr ? selected->displayName : std::string());
    ED_Company.SetText(selected != nullptr ? selected->company : std::string());
    ED_Description.SetText(selected != nullptr ? selected->description : std::string());
    ED_FileName.SetText(selected != nullptr ? selected->executablePath : std::string());
    MM_Description.SetText(WithCrLf(details.description));
    // With nothing selected the list shows "無効", as the empty panel always has.
    CB_Start.SetItemIndex(selected == nullptr ? ItemOfStartValue(0) : details.startItem.value_or(-1));
    CB_Start.SetColor(selected != nullptr ? clWindow : clBtnFace);
    ShowCommands();
}

void TForm1::ShowCommands() {
    const CommandStates can = model_.Commands();
    BB_Run.SetEnabled(can.start);
    BB_Stop.SetEnabled(can.stop);
    BB_Sleep.SetEnabled(can.pause);
    BB_ReRun.SetEnabled(can.resume);
    CB_Start.SetEnabled(can.startType);
    BB_Update.SetEnabled(can.update);
    BB_Depend.SetEnabled(can.dependencies);
}

void TForm1::ShowStatus() { StatusBar1.SetSimpleText(StatusText(model_.Pending())); }

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
        TC_Main.SetTabIndex((TC_Main.TabIndex() + (command == kCmdNextTab ? 1 : kTabCount - 1)) % kTabCount);
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

void TForm1::CopyToClipboard(const std::string& text) {
    if (!CopyTextToClipboard(Handle(), text))
        ShowMessageDialog("クリップボードにコピーできませんでした。", mtError, DialogButtons(mbOK), 0, Handle());
}

void TForm1::CB_StartChange() {
    model_.ChooseStartType(CB_Start.ItemIndex());
    ShowCommands();
}

HICON TForm1::DriverIcon() const { return reinterpret_cast<HICON>(driverIcon_ ? driverIcon_->get() : 0); }

HICON TForm1::DefaultServiceIcon() const { return reinterpret_cast<HICON>(defaultIcon_ ? defaultIcon_->get() : 0); }

}  // namespace rondel
