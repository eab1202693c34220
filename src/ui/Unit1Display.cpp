// What TForm1 shows of its model: the tab's list, the selected service's panel, the commands
// that can be given and the status bar; and the user's choices that change the model.
#include <algorithm>

#include "control/ServiceState.h"
#include "control/StartType.h"
#include "toolkit/ErrorHandler.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit1.h"

namespace rondel {

namespace {

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
        const platform::IconHandle icon = model_.List(model_.CurrentTab())->images->GetIcon(index);
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

void TForm1::ShowStatus() {
    // The time at the right end.
    StatusBar1.SetSimpleText(StatusText(model_.Pending()) + (listedAt_.empty() ? "" : "\t\t" + listedAt_));
}
void TForm1::CB_StartChange() {
    model_.ChooseStartType(CB_Start.ItemIndex());
    ShowCommands();
}

}  // namespace rondel
