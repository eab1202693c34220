#include "model/ServiceModel.h"

#include <set>

#include "control/DependentServices.h"
#include "control/StartType.h"
#include "text/AnsiText.h"

namespace rondel {

namespace {

// The four command buttons as a tab enables them for its selected service: start, stop,
// pause, continue.
struct TabCommands {
    bool start, stop, pause, resume;
};
constexpr TabCommands kTabCommands[] = {
    {false, true, true, false},  // running
    {false, true, false, true},  // paused
    {true, false, false, false}, // stopped
};

// What the manager takes in each exact state (SERVICE_STOPPED to SERVICE_PAUSED): nothing while
// the service is on its way to another state.
constexpr TabCommands kStateCommands[] = {
    {true, false, false, false},   // stopped
    {false, false, false, false},  // start pending
    {false, false, false, false},  // stop pending
    {false, true, true, false},    // running
    {false, false, false, false},  // continue pending
    {false, false, false, false},  // pause pending
    {false, true, false, true},    // paused
};

std::string AboutService(const char* before, const std::string& name, const char* after) {
    return std::string(before) + name + after;
}

}  // namespace

std::string TimeText(int hour, int minute, int second) {
    const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    return std::to_string(hour) + ":" + two(minute) + ":" + two(second);
}

std::string ListedAtText(int hour, int minute, int second) { return "最終更新 " + TimeText(hour, minute, second); }

namespace {

std::string UnderWayText(const PendingRequest& pending) {
    const std::string& name = pending.serviceName;
    switch (pending.kind) {
    case RequestKind::Refresh:
        return "サービスの一覧を読み込んでいます…";
    case RequestKind::Start:
    case RequestKind::RestartStart:
        return AboutService("サービス「", name, "」を開始しています…");
    case RequestKind::Stop:
    case RequestKind::RestartStop:
        return AboutService("サービス「", name, "」を停止しています…");
    case RequestKind::Pause:
        return AboutService("サービス「", name, "」を一時停止しています…");
    case RequestKind::Continue:
        return AboutService("サービス「", name, "」を再開しています…");
    case RequestKind::StartType:
        return AboutService("サービス「", name, "」のスタートアップの種類を変更しています…");
    case RequestKind::Dependencies:
        return AboutService("サービス「", name, "」の依存関係を調べています…");
    case RequestKind::HomePage:
        return "ホームページを開いています…";
    case RequestKind::SaveList:
        return "サービスの一覧を保存しています…";
    case RequestKind::FindProcess:
        return AboutService("サービス「", name, "」のプロセスを調べています…");
    case RequestKind::EndProcess:
        return AboutService("プロセス ", name, " を終了しています…");
    }
    return {};
}

}  // namespace

std::string StatusText(const std::optional<PendingRequest>& pending) {
    if (!pending) return "F5 キーで最新の状態に更新します";
    const std::string text = UnderWayText(*pending);
    if (pending->steps == 0) return text;
    // The step before the ellipsis: "…を停止しています（3 件中 1 件目）…".
    return text.substr(0, text.size() - std::string("…").size()) + "（" + std::to_string(pending->steps) + " 件中 " +
           std::to_string(pending->step) + " 件目）…";
}

void ServiceModel::TakeCatalogue(std::shared_ptr<const ServiceCatalogue> catalogue) {
    const ServiceEntry* selected = Selected();
    const std::string name = selected != nullptr ? selected->serviceName : std::string();
    catalogue_ = std::move(catalogue);
    ApplyFilter();
    selected_ = -1;
    if (name.empty()) return;
    for (const ServiceTab tab : {kRunningTab, kStoppedTab, kPausedTab}) {
        const int index = IndexOf(tab, name);
        if (index < 0) continue;
        if (tab != currentTab_) statusKnown_ = false;  // in another state now: ask again what it takes
        currentTab_ = tab;
        selected_ = index;
        return;
    }
    Select(-1);
}

const StateList* ServiceModel::List(ServiceTab tab) const { return catalogue_ ? &catalogue_->List(tab) : nullptr; }

const std::vector<ServiceEntry>& ServiceModel::AllEntries(ServiceTab tab) const {
    static const std::vector<ServiceEntry> none;
    return catalogue_ ? catalogue_->List(tab).entries : none;
}

const std::vector<ServiceEntry>& ServiceModel::Entries(ServiceTab tab) const {
    return filter_.empty() ? AllEntries(tab) : kept_[tab];
}

int ServiceModel::ImageOf(ServiceTab tab, int index) const {
    if (filter_.empty()) return index;
    const std::vector<int>& images = keptImages_[tab];
    return index >= 0 && index < static_cast<int>(images.size()) ? images[static_cast<std::size_t>(index)] : -1;
}

void ServiceModel::ApplyFilter() {
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) {
        kept_[tab].clear();
        keptImages_[tab].clear();
        if (filter_.empty() || !catalogue_) continue;
        const std::vector<ServiceEntry>& all = AllEntries(tab);
        for (std::size_t k = 0; k < all.size(); ++k) {
            const ServiceEntry& e = all[k];
            const bool holds = ContainsNoCase(e.serviceName, filter_) || ContainsNoCase(e.displayName, filter_) ||
                               ContainsNoCase(e.company, filter_) || ContainsNoCase(e.description, filter_) ||
                               ContainsNoCase(catalogue_->DescriptionOf(e.serviceName), filter_);
            if (!holds) continue;
            kept_[tab].push_back(e);
            keptImages_[tab].push_back(static_cast<int>(k));
        }
    }
}

void ServiceModel::Reselect(const std::string& serviceName) {
    const int index = serviceName.empty() ? -1 : IndexOf(currentTab_, serviceName);
    if (index >= 0) selected_ = index;
    else Select(-1);
}

void ServiceModel::SetFilter(const std::string& text) {
    const ServiceEntry* selected = Selected();
    const std::string name = selected != nullptr ? selected->serviceName : std::string();
    filter_ = text;
    ApplyFilter();
    selected_ = -1;
    Reselect(name);
}

void ServiceModel::ShowTab(ServiceTab tab) {
    currentTab_ = tab;
    Select(-1);
}

const ServiceEntry* ServiceModel::Selected() const {
    return selected_ >= 0 ? &Entries(currentTab_)[static_cast<std::size_t>(selected_)] : nullptr;
}

void ServiceModel::Select(int index) {
    const bool inList = index >= 0 && index < static_cast<int>(Entries(currentTab_).size());
    selected_ = inList ? index : -1;
    statusKnown_ = false;
    details_ = ServiceDetailsShown{};
    startChoice_.reset();
}

void ServiceModel::SetDetails(const ServiceDetailsShown& details, bool withStatus) {
    if (selected_ < 0) return;
    details_ = details;
    statusKnown_ = withStatus;
}

void ServiceModel::SetRegistryDetails(const ServiceDetailsShown& details) {
    if (selected_ < 0) return;
    details_.description = details.description;
    details_.startItem = details.startItem;
    details_.keyMissing = details.keyMissing;
}

void ServiceModel::SetStartItem(std::optional<int> startItem) {
    if (selected_ >= 0) details_.startItem = startItem;
}

void ServiceModel::SetStatus(const platform::ServiceStatus& status) {
    if (selected_ < 0) return;
    details_.controlsAccepted = status.controlsAccepted;
    details_.currentState = status.currentState;
    details_.processId = status.processId;
    statusKnown_ = true;
}

std::string ServiceModel::StateText() const {
    if (selected_ < 0 || !statusKnown_) return {};
    const std::string word = StateWord(details_.currentState);
    if (word.empty() || details_.processId == 0) return word;
    return word + "（PID " + std::to_string(details_.processId) + "）";
}

int ServiceModel::IndexOf(ServiceTab tab, const std::string& serviceName) const {
    const std::vector<ServiceEntry>& entries = Entries(tab);
    for (std::size_t k = 0; k < entries.size(); ++k)
        if (entries[k].serviceName == serviceName) return static_cast<int>(k);
    return -1;
}

bool ServiceModel::SelectService(const std::string& serviceName) {
    const std::string wanted = AsciiLower(serviceName);
    for (const ServiceTab tab : {kRunningTab, kStoppedTab, kPausedTab}) {
        const std::vector<ServiceEntry>& entries = Entries(tab);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (AsciiLower(entries[k].serviceName) != wanted) continue;
            ShowTab(tab);
            Select(static_cast<int>(k));
            return true;
        }
    }
    return false;
}

void ServiceModel::CommandCarriedOut(ServiceCommand command, const std::string& serviceName) {
    const ServiceTab target = CommandSpec(command).targetTab;
    ShowTab(target);
    Select(IndexOf(target, serviceName));
}

void ServiceModel::ChooseStartType(int item) {
    if (selected_ >= 0) startChoice_ = item;
}

std::optional<uint32_t> ServiceModel::ChosenStartValue() const {
    return startChoice_ ? StartValueOfItem(*startChoice_) : std::nullopt;
}

std::string ServiceModel::DetailsText() const {
    const ServiceEntry* selected = Selected();
    if (selected == nullptr) return {};
    const std::optional<uint32_t> start = details_.startItem ? StartValueOfItem(*details_.startItem) : std::nullopt;
    const std::string values[] = {
        selected->serviceName, selected->displayName, selected->company, selected->description, selected->executablePath,
        details_.description, start ? kStartTypeItems[static_cast<std::size_t>(*details_.startItem)] : "",
    };
    std::string text;
    for (std::size_t k = 0; k < std::size(values); ++k) {
        text += std::string(kDetailLabels[k]) + ": ";
        for (const char c : values[k]) {
            if (c == '\r') continue;
            text += c == '\n' ? std::string("\r\n  ") : std::string(1, c);
        }
        text += "\r\n";
    }
    return text;
}

bool ServiceModel::BeginRequest(PendingRequest request) {
    if (pending_) return false;
    pending_ = std::move(request);
    return true;
}

void ServiceModel::RequestMovesOn(RequestKind kind) {
    if (pending_) pending_->kind = kind;
}

void ServiceModel::RequestMovesOn(PendingRequest step) {
    if (pending_) pending_ = std::move(step);
}

CommandStates ServiceModel::Commands() const {
    CommandStates can;
    const bool idle = !pending_;
    can.refresh = idle;
    can.saveList = idle && catalogue_ != nullptr;
    if (selected_ < 0) return can;

    TabCommands tab = kTabCommands[currentTab_];
    // The service itself says which controls it takes, and the manager which commands its state
    // allows; this only ever disables.
    if (statusKnown_) {
        if ((details_.controlsAccepted & platform::kServiceAcceptStop) == 0) tab.stop = false;
        if ((details_.controlsAccepted & platform::kServiceAcceptPauseContinue) == 0) tab.pause = tab.resume = false;
        if (details_.currentState >= 1 && details_.currentState <= 7) {
            const TabCommands& state = kStateCommands[details_.currentState - 1];
            tab = {tab.start && state.start, tab.stop && state.stop, tab.pause && state.pause, tab.resume && state.resume};
        }
    }
    can.start = tab.start && idle;
    can.stop = tab.stop && idle;
    can.pause = tab.pause && idle;
    can.resume = tab.resume && idle;
    can.restart = can.stop;
    // A service without a key has no start type to set.
    can.startType = !details_.keyMissing;
    can.update = can.startType && startChoice_.has_value() && idle;
    can.dependencies = idle;
    can.copy = true;
    can.stopWithDependents = can.stop && !RunningDependents().empty();
    can.restartWithDependents = can.stopWithDependents;
    can.endProcess = idle && statusKnown_ && details_.processId != 0;
    return can;
}

std::vector<std::string> ServiceModel::RunningDependents() const {
    const ServiceEntry* selected = Selected();
    if (selected == nullptr || !catalogue_) return {};
    std::set<std::string> running;
    for (const ServiceTab tab : {kRunningTab, kPausedTab})
        for (const ServiceEntry& entry : AllEntries(tab)) running.insert(AsciiLower(entry.serviceName));
    return DependentsToStop(selected->serviceName, catalogue_->DependsOnOf(),
                            [&running](const std::string& name) { return running.count(AsciiLower(name)) != 0; });
}

}  // namespace rondel
