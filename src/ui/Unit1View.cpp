// What TForm1 shows of its session: the caption, the tab's list, the selected service's panel,
// what the commands may do and the status bar. Each part is compared with what the window shows
// and changed only where it differs, so that a reading that changed little redraws little.
#include <optional>
#include <tuple>

#include "control/StartType.h"
#include "toolkit/Messages.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit1.h"
#include "ui/Unit1Shown.h"

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

// Sets what shows when it differs from what showed: true then.
template <typename T>
bool Differs(std::optional<T>& shown, const T& value) {
    if (shown && *shown == value) return false;
    shown = value;
    return true;
}

}  // namespace

void TForm1::ShowSession() {
    if (!HandleAllocated()) return;
    const std::string& caption = session_->Caption();
    if (!caption.empty() && Differs(shown_->caption, caption)) SetCaption(caption);
    ShowList();
    ShowDetails();
    ShowCommands();
    if (Differs(shown_->status, session_->StatusText())) StatusBar1.SetSimpleText(*shown_->status);
    // How many services each tab keeps, while the filter is open.
    if (PL_Filter.Visible()) {
        const ServiceModel& model = session_->Model();
        const auto count = [&](ServiceTab tab) { return std::to_string(model.Entries(tab).size()); };
        if (Differs(shown_->counts, "一致: 開始 " + count(kRunningTab) + "　一時停止 " + count(kPausedTab) + "　停止 " +
                                        count(kStoppedTab)))
            LL_FilterCount.SetCaption(*shown_->counts);
    }
    const unsigned interval = followServices_ ? session_->WatchInterval() : 0;
    if (Differs(shown_->watchInterval, interval)) {
        watchTimer_.SetEnabled(false);
        if (interval != 0) {
            watchTimer_.SetInterval(interval);
            watchTimer_.SetEnabled(true);
        }
    }
    // Dialogs are shown from the message loop, never from inside what brought them.
    if (session_->HasSomethingToTell() && !tellPosted_) {
        tellPosted_ = true;
        ::PostMessageA(Handle(), kTellSession, 0, 0);
    }
}

void TForm1::ShowList() {
    const ServiceModel& model = session_->Model();
    const ServiceTab tab = model.CurrentTab();
    const bool otherTab = Differs(shown_->tab, static_cast<int>(tab));
    if (otherTab) TC_Main.SetTabIndex(tab);
    const bool otherFilter = Differs(shown_->filter, model.Filter());
    if (otherTab || otherFilter || shown_->catalogue != model.Catalogue()) {
        const StateList* list = model.List(tab);
        // Another tab's list starts at its top; the same tab's keeps its scroll position.
        if (otherTab) GLB_List.SetItemIndex(-1);
        const std::vector<ServiceEntry>& entries = model.Entries(tab);
        std::vector<int> images;
        if (!model.Filter().empty())
            for (int k = 0; k < static_cast<int>(entries.size()); ++k) images.push_back(model.ImageOf(tab, k));
        GLB_List.SetGlyphIndices(std::move(images));
        ShowServiceList(GLB_List, entries, list != nullptr ? list->images.get() : nullptr, listGlyphs_);
        if (otherTab) GLB_List.SetTopIndex(0);
        // Shown until the list box has let go of its icons.
        shown_->catalogue = model.Catalogue();
        shown_->selected.reset();
    }
    if (Differs(shown_->selected, model.SelectedIndex())) GLB_List.SetItemIndex(model.SelectedIndex());
}

void TForm1::ShowDetails() {
    const ServiceModel& model = session_->Model();
    const ServiceEntry* selected = model.Selected();
    const ServiceDetailsShown& details = model.Details();
    const std::array<std::string, 6> texts =
        selected != nullptr ? std::array<std::string, 6>{selected->serviceName, selected->displayName, selected->company,
                                                         selected->description, selected->executablePath,
                                                         WithCrLf(details.description)}
                            : std::array<std::string, 6>{};
    const std::optional<std::array<std::string, 6>> before = shown_->texts;
    if (Differs(shown_->texts, texts)) {
        TEdit* const fields[] = {&ED_ServiceName, &ED_DisplayName, &ED_Company, &ED_Description, &ED_FileName,
                                 &MM_Description};
        for (std::size_t k = 0; k < texts.size(); ++k)
            if (!before || (*before)[k] != texts[k]) fields[k]->SetText(texts[k]);
    }
    // The icon of the item selected, from the image list the list box draws from.
    const IconSource source{model.Catalogue().get(), model.CurrentTab(), model.SelectedIndex()};
    if (Differs(shown_->icon, source)) {
        const unique_hicon icon =
            selected != nullptr ? listGlyphs_.GetIcon(model.ImageOf(model.CurrentTab(), model.SelectedIndex())) : unique_hicon();
        IM_Icon.SetIcon(icon.get());
    }
    // With nothing selected the list shows "無効", as the empty panel always has.
    const int startItem = selected == nullptr ? ItemOfStartValue(0) : details.startItem.value_or(-1);
    if (Differs(shown_->startItem, startItem)) CB_Start.SetItemIndex(startItem);
    if (Differs(shown_->hasService, selected != nullptr)) CB_Start.SetColor(selected != nullptr ? clWindow : clBtnFace);
}

void TForm1::ShowCommands() {
    const CommandStates can = session_->Model().Commands();
    if (!Differs(shown_->commands, can)) return;
    BB_Run.SetEnabled(can.start);
    BB_Stop.SetEnabled(can.stop);
    BB_Sleep.SetEnabled(can.pause);
    BB_ReRun.SetEnabled(can.resume);
    CB_Start.SetEnabled(can.startType);
    BB_Update.SetEnabled(can.update);
    BB_Depend.SetEnabled(can.dependencies);
}

}  // namespace rondel
