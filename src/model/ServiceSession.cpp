// The session's state and the person's input; the requests' jobs are in SessionRequests.
#include "model/ServiceSession.h"

#include <mutex>

#include "catalogue/CatalogueMemory.h"
#include "model/SessionParts.h"

namespace rondel {

using namespace platform;

ServiceSession::ServiceSession(Platform system, IExecutor& executor, SessionServices services)
    : system_(system),
      executor_(executor),
      services_(std::move(services)),
      memory_(std::make_shared<Memory>(system_)) {
    // Until the first reading (Start) is over, the lists are being read.
    model_.BeginRequest({RequestKind::Refresh, {}});
}

ServiceSession::~ServiceSession() = default;

void ServiceSession::Changed() {
    if (OnChanged) OnChanged();
}

bool ServiceSession::Run(Lane lane, Work work) {
    uint32_t error = 0;
    if (!executor_.Run(lane, std::move(work), error)) {
        notices_.push_back({Notice::Refusal, "作業用のスレッドを作れません。（エラー " + std::to_string(error) + "）"});
        Changed();
        return false;
    }
    ++running_[static_cast<int>(lane)];
    return true;
}

void ServiceSession::Failed(Lane lane, std::exception_ptr error) {
    // Whatever the lane was doing is over; the error is told as the program's own.
    switch (lane) {
    case Lane::Request:
        model_.EndRequest();
        break;
    case Lane::Details:
        detailsRunning_ = false;
        break;
    case Lane::Watch:
        watching_ = false;
        break;
    }
    std::string text = "不明なエラー";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    notices_.push_back({Notice::OddValue, text});
    Changed();
}

bool ServiceSession::Idle() const {
    if (model_.Busy()) return false;
    for (const int running : running_)
        if (running != 0) return false;
    return true;
}

std::string ServiceSession::StatusText() const {
    const std::string told = !model_.Busy() && !lastAction_.empty() ? lastAction_ : rondel::StatusText(model_.Pending());
    std::string right = model_.StateText();
    if (!listedAt_.empty()) right += (right.empty() ? "" : "　") + listedAt_;
    return right.empty() ? told : told + "\t\t" + right;
}

std::optional<Notice> ServiceSession::TakeNotice() {
    if (notices_.empty()) return std::nullopt;
    Notice notice = std::move(notices_.front());
    notices_.pop_front();
    return notice;
}

std::optional<Question> ServiceSession::TakeQuestion() {
    if (questions_.empty()) return std::nullopt;
    Question question = std::move(questions_.front());
    questions_.pop_front();
    return question;
}

std::unique_ptr<DependencyView> ServiceSession::TakeDependencies() { return std::move(dependencies_); }

// ---------------------------------------------------------------- the person's input

void ServiceSession::ShowTab(ServiceTab tab) {
    ++inputs_;
    model_.ShowTab(tab);
    Changed();
}

void ServiceSession::StepTab(int step) { ShowTab(static_cast<ServiceTab>((model_.CurrentTab() + 3 + step % 3) % 3)); }

void ServiceSession::Select(int index) {
    ++inputs_;
    model_.Select(index);
    AskDetails(true);
    Changed();
}

bool ServiceSession::TypeToFind(char key) {
    if (static_cast<unsigned char>(key) < 0x20) return false;
    const int found =
        search_.Type(key, services_.nowMs(), model_.Entries(model_.CurrentTab()), model_.SelectedIndex());
    if (found >= 0 && found != model_.SelectedIndex()) Select(found);
    return true;
}

std::optional<std::string> ServiceSession::View(const ServiceEntry& service) {
    if (model_.SelectService(service.serviceName)) {
        ++inputs_;
        AskDetails(true);
        Changed();
        return std::nullopt;
    }
    if (IsDriver(service.serviceType)) return std::string("ドライバサービスは表示できません。");
    return missingServiceText_;
}

void ServiceSession::SetFilter(const std::string& text) {
    if (text == model_.Filter()) return;
    ++inputs_;
    model_.SetFilter(text);
    Changed();
}

void ServiceSession::ChooseStartType(int item) {
    ++inputs_;
    model_.ChooseStartType(item);
    Changed();
}

void ServiceSession::AskDetails(bool tell) {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr) return;
    if (detailsRunning_) {
        // Read once the reading under way is over; its answer, for another service, is dropped.
        detailsWanted_ = detailsWanted_.value_or(false) || tell;
        return;
    }
    const uint64_t asked = ++detailsAsked_;
    const std::string serviceName = selected->serviceName;
    const auto current = [this, asked, serviceName] {
        const ServiceEntry* now = model_.Selected();
        return asked == detailsAsked_ && now != nullptr && now->serviceName == serviceName;
    };
    detailsRunning_ = true;
    Launch<ServiceStatus, DetailsPart>(
        Lane::Details,
        [system = system_, serviceName](const JobContext&, const std::function<void(DetailsPart)>& tellPart) mutable {
            DetailsPart part;
            part.details = ReadRegistryDetailsShown(system, serviceName, part.readError);
            tellPart(part);
            return QueryCurrentStatus(system, serviceName);
        },
        [this, current, tell](DetailsPart& part) {
            if (!current()) return;
            model_.SetRegistryDetails(part.details);
            if (tell && !part.readError.empty()) notices_.push_back({Notice::OddValue, part.readError});
            Changed();
        },
        [this, current](ServiceStatus& status) {
            detailsRunning_ = false;
            if (current()) {
                model_.SetStatus(status);
                Changed();
            }
            if (const std::optional<bool> wanted = std::exchange(detailsWanted_, std::nullopt)) AskDetails(*wanted);
        });
}

// ---------------------------------------------------------------- requests

bool ServiceSession::BeginRequest(PendingRequest request) {
    if (!model_.BeginRequest(std::move(request))) return false;
    ++requests_;  // a reading of the live list under way is out of date now
    lastAction_.clear();
    awaited_.reset();
    Changed();
    return true;
}

void ServiceSession::Finish(const std::string& refusal, CatalogueBuild* lists, const std::optional<AfterRequest>& after,
                            const std::string& done) {
    model_.EndRequest();
    if (lists != nullptr) TakeLists(*lists, after);
    if (!refusal.empty()) notices_.push_back({Notice::Refusal, refusal});
    else if (!done.empty()) {
        const std::array<int, 3> now = services_.timeOfDay();
        lastAction_ = done + "（" + TimeText(now[0], now[1], now[2]) + "）";
    }
    Changed();
    RunDeferred();
}

void ServiceSession::TakeLists(CatalogueBuild& lists, const std::optional<AfterRequest>& after) {
    const ServiceEntry* before = model_.Selected();
    const std::string selectedBefore = before != nullptr ? before->serviceName : std::string();
    if (lists.catalogue) model_.TakeCatalogue(std::move(lists.catalogue));
    shownBuild_ = lists.result.build;
    const std::array<int, 3> now = services_.timeOfDay();
    listedAt_ = ListedAtText(now[0], now[1], now[2]);
    listedStates_ = std::make_shared<const ServiceStates>(std::move(lists.result.states));
    // What the request asked for, unless the person chose otherwise meanwhile. A service still on
    // its way to the command's state is selected once the lists show it arrived, unless the
    // person chose otherwise by then.
    if (awaited_ && awaited_->inputs != inputs_) awaited_.reset();
    if (after && after->inputs == inputs_) {
        if (after->command) model_.CommandCarriedOut(*after->command, after->serviceName);
        else model_.SelectService(after->serviceName);
        if (after->command && model_.Selected() == nullptr) awaited_ = std::make_unique<AfterRequest>(*after);
    } else if (awaited_ && model_.Selected() == nullptr &&
               model_.CurrentTab() == CommandSpec(*awaited_->command).targetTab) {
        const int index = model_.IndexOf(model_.CurrentTab(), awaited_->serviceName);
        if (index >= 0) {
            model_.Select(index);
            awaited_.reset();
        }
    }
    // One odd registry value is told once, after the lists are shown.
    if (!lists.result.readErrors.empty() && !oddValueTold_) {
        oddValueTold_ = true;
        notices_.push_back({Notice::OddValue, lists.result.readErrors.front().message});
    }
    // The selected service's details may have changed with its state; told once per selection.
    const ServiceEntry* selected = model_.Selected();
    if (selected != nullptr) AskDetails(selected->serviceName != selectedBefore);
}

void ServiceSession::Watch() {
    if (model_.Busy() || watching_ || !listedStates_) return;
    watching_ = true;
    const uint64_t requests = requests_;
    Launch<std::optional<CatalogueBuild>>(
        Lane::Watch,
        [system = system_, basis = listedStates_, read = ReadLists()](const JobContext& context) mutable
        -> std::optional<CatalogueBuild> {
            // A manager that cannot answer now changes nothing.
            const std::optional<ServiceStates> states = ReadServiceStates(system);
            if (!states || *states == *basis) return std::nullopt;
            return read(context);
        },
        [this, requests](std::optional<CatalogueBuild>& lists) {
            watching_ = false;
            // A request of the user's began since: it read the lists itself.
            if (!lists || requests != requests_ || model_.Busy()) return;
            TakeLists(*lists, std::nullopt);
            Changed();
        });
}

void ServiceSession::RunDeferred() {
    if (!deferred_ || model_.Busy()) return;
    const std::unique_ptr<Deferred> deferred = std::move(deferred_);
    const ServiceEntry* selected = model_.Selected();
    const bool same = deferred->serviceName.empty() ||
                      (selected != nullptr && selected->serviceName == deferred->serviceName);
    if (same && deferred->run()) return;
    notices_.push_back({Notice::Refusal, NotCarriedOutText(deferred->what, deferred->serviceName)});
    Changed();
}

}  // namespace rondel
