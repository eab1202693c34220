// The session's requests: each a job that asks the machine (the manager, a service, the registry,
// a file, a browser) with copies of what it needs, and an apply step that ends the request
// through Finish. Nothing here runs a job on the session's thread.
#include "catalogue/CatalogueMemory.h"
#include "catalogue/Settings.h"
#include "catalogue/WexFunc.h"
#include "control/ServiceRestart.h"
#include "control/ServiceState.h"
#include "control/StartType.h"
#include "model/SessionParts.h"

namespace rondel {

using namespace platform;

namespace {

// A request's outcome: the refusal to tell (empty when it was carried out), and the lists read
// after it (none after a refusal).
struct Outcome {
    std::string refusal;
    std::optional<CatalogueBuild> lists;
};

// Each request: the menu's word for it, what offers it (none: always offered), the command it
// sends to its service, and whether it is about the selected service.
struct RequestRow {
    Request request;
    const char* word;
    bool CommandStates::*offered;
    std::optional<ServiceCommand> command;
    bool aboutService;
};
const RequestRow kRequests[] = {
    {Request::Refresh, "最新の状態に更新", nullptr, std::nullopt, false},
    {Request::Start, "開始", &CommandStates::start, ServiceCommand::Start, true},
    {Request::Stop, "停止", &CommandStates::stop, ServiceCommand::Stop, true},
    {Request::Pause, "一時停止", &CommandStates::pause, ServiceCommand::Pause, true},
    {Request::Continue, "再開", &CommandStates::resume, ServiceCommand::Continue, true},
    {Request::Restart, "再起動", &CommandStates::restart, std::nullopt, true},
    {Request::StartType, "スタートアップの種類の変更", &CommandStates::update, std::nullopt, true},
    {Request::Dependencies, "依存関係", &CommandStates::dependencies, std::nullopt, true},
    {Request::HomePage, "ホームページを開く", nullptr, std::nullopt, false},
    {Request::StopWithDependents, "依存サービスも停止", &CommandStates::stopWithDependents, std::nullopt, true},
    {Request::RestartWithDependents, "依存サービスも再起動", &CommandStates::restartWithDependents, std::nullopt, true},
    {Request::EndProcess, "プロセスを終了", &CommandStates::endProcess, std::nullopt, true},
};

const RequestRow& RowOf(Request request) {
    for (const RequestRow& row : kRequests)
        if (row.request == request) return row;
    return kRequests[0];
}

RequestKind KindOf(ServiceCommand command) {
    switch (command) {
    case ServiceCommand::Start:
        return RequestKind::Start;
    case ServiceCommand::Stop:
        return RequestKind::Stop;
    case ServiceCommand::Pause:
        return RequestKind::Pause;
    case ServiceCommand::Continue:
        return RequestKind::Continue;
    }
    return RequestKind::Start;
}

// What a request carried out did, as the status bar says it.
std::string DoneText(const std::string& serviceName, const char* what) { return "サービス「" + serviceName + "」" + what; }

const char* DoneWord(ServiceCommand command) {
    switch (command) {
    case ServiceCommand::Start:
        return "を開始しました";
    case ServiceCommand::Stop:
        return "を停止しました";
    case ServiceCommand::Pause:
        return "を一時停止しました";
    case ServiceCommand::Continue:
        return "を再開しました";
    }
    return "";
}

std::string RestartTimeOutText(const std::string& serviceName) {
    return "サービス「" + serviceName + "」が時間内に停止しませんでした。再起動を中止しました。";
}

struct StartupRead {
    std::string caption;
    std::shared_ptr<const IconHandle> driverIcon;
    std::shared_ptr<const IconHandle> defaultIcon;
    Settings settings;
    CatalogueBuild lists;
};

struct StartTypeOutcome {
    std::optional<int> shown;  // the start type the panel shows now
    std::string refusal;
};

struct DependenciesRead {
    DependencyLists lists;
    std::string missingText;
};

}  // namespace

std::string NotCarriedOutText(const std::string& what, const std::string& serviceName) {
    return (serviceName.empty() ? "" : "サービス「" + serviceName + "」の") + "「" + what +
           "」は行いませんでした。選ばれているサービスか、その状態が変わりました。";
}

ServiceSession::Job<CatalogueBuild> ServiceSession::ReadLists() const {
    return [system = system_, icon = defaultIcon_, memory = memory_, shown = shownBuild_](const JobContext&) {
        const std::lock_guard<std::mutex> locked(memory->lock);
        return BuildCatalogue(system, icon ? icon->get() : 0, &memory->Get(), shown);
    };
}

void ServiceSession::Start() {
    ++requests_;
    Launch<StartupRead>(
        Lane::Request,
        [system = system_, memory = memory_](const JobContext&) mutable {
            StartupRead read;
            TWexProductInfo info;
            if (GetProductInfo(system, system.files.ModuleFileName(), info) == 0)
                read.caption = info.ProductName + "  Ver. " + info.ProductVersion;
            read.driverIcon = std::make_shared<const IconHandle>(LoadSystemIcon(system, kDriverIconIndex));
            read.defaultIcon = std::make_shared<const IconHandle>(LoadSystemIcon(system, kDefaultServiceIconIndex));
            read.settings = ReadSettings(system.registry);
            const std::lock_guard<std::mutex> locked(memory->lock);
            read.lists = BuildCatalogue(system, read.defaultIcon->get(), &memory->Get());
            return read;
        },
        [this](StartupRead& read) {
            caption_ = read.caption;
            driverIcon_ = read.driverIcon;
            defaultIcon_ = read.defaultIcon;
            watchInterval_ = read.settings.watchIntervalMs;
            homePageAllowed_ = read.settings.homePageAllowed;
            Finish({}, &read.lists, std::nullopt);
        });
}

bool ServiceSession::Ask(Request request, bool fromMenu) {
    const ServiceEntry* selected = model_.Selected();
    const std::string serviceName = selected != nullptr ? selected->serviceName : std::string();
    const RequestRow& row = RowOf(request);
    if (model_.Busy()) {
        if (!fromMenu || deferred_) return false;
        deferred_ = std::make_unique<Deferred>(
            Deferred{row.word, row.aboutService ? serviceName : std::string(), [this, request] { return Ask(request); }});
        return true;
    }
    const CommandStates can = model_.Commands();
    const bool offered = (row.offered == nullptr || can.*row.offered) && (!row.aboutService || selected != nullptr);
    if (!offered) {
        if (fromMenu) {
            notices_.push_back({Notice::Refusal, NotCarriedOutText(row.word, serviceName)});
            Changed();
        }
        return false;
    }
    if (row.command) return StartCommand(*row.command);
    switch (request) {
    case Request::Refresh:
        if (!BeginRequest({RequestKind::Refresh, {}})) return false;
        return Launch<CatalogueBuild>(Lane::Request, ReadLists(),
                                      [this](CatalogueBuild& lists) { Finish({}, &lists, std::nullopt); });
    case Request::Restart:
        return StartRestart();
    case Request::StartType:
        return StartTypeChange();
    case Request::Dependencies:
        return StartDependencies();
    case Request::StopWithDependents:
    case Request::RestartWithDependents:
        return AskDependentsSequence(request == Request::RestartWithDependents);
    case Request::EndProcess:
        return FindProcess();
    case Request::HomePage:
        if (!homePageAllowed_ || !BeginRequest({RequestKind::HomePage, {}})) return false;
        return Launch<bool>(
            Lane::Request,
            [system = system_, open = services_.openHomePage](const JobContext&) mutable {
                if (open) open(system);
                return true;
            },
            [this](bool&) { Finish({}, nullptr, std::nullopt); });
    default:
        return false;
    }
}

bool ServiceSession::StartCommand(ServiceCommand command) {
    const std::string serviceName = model_.Selected()->serviceName;
    if (!BeginRequest({KindOf(command), serviceName})) return false;
    const AfterRequest after{command, serviceName, inputs_};
    return Launch<Outcome>(
        Lane::Request,
        [system = system_, serviceName, command, read = ReadLists()](const JobContext& context) mutable {
            // The handles stay open until the lists have been read again; the service's goes first.
            ServiceCommandRequest request(system, serviceName, command);
            const uint32_t error = request.Send();
            if (error != 0) return Outcome{ServiceErrorText(error, command, system.environment), std::nullopt};
            return Outcome{{}, read(context)};
        },
        [this, after, done = DoneText(serviceName, DoneWord(command))](Outcome& outcome) {
            Finish(outcome.refusal, outcome.lists ? &*outcome.lists : nullptr, after, done);
        });
}

bool ServiceSession::StartRestart() {
    const std::string serviceName = model_.Selected()->serviceName;
    if (!BeginRequest({RequestKind::RestartStop, serviceName})) return false;
    const AfterRequest after{std::nullopt, serviceName, inputs_};
    // A restart once begun is carried through, even when the window is closed meanwhile.
    return Launch<Outcome, RestartStep>(
        Lane::Request,
        [system = system_, serviceName, nowMs = services_.nowMs, sleep = services_.sleep, read = ReadLists()](
            const JobContext& context, const std::function<void(RestartStep)>& tell) mutable {
            RestartPacing pacing{nowMs, sleep};
            pacing.progress = [&tell](RestartStep step) {
                if (step == RestartStep::Start) tell(step);
            };
            const RestartOutcome outcome = RestartService(system, serviceName, pacing);
            const ServiceCommand failed = outcome.step == RestartStep::Start ? ServiceCommand::Start : ServiceCommand::Stop;
            const std::string failure = outcome.timedOut ? RestartTimeOutText(serviceName)
                                        : outcome.step != RestartStep::Done
                                            ? ServiceErrorText(outcome.error, failed, system.environment)
                                            : std::string();
            if (context.Abandoned()) {
                // The window was closed meanwhile: the program ends once this is said.
                if (!failure.empty()) context.ReportAlone(failure);
                return Outcome{failure, std::nullopt};
            }
            return Outcome{failure, read(context)};
        },
        [this](RestartStep&) {
            model_.RequestMovesOn(RequestKind::RestartStart);
            Changed();
        },
        [this, after, done = DoneText(serviceName, "を再起動しました")](Outcome& outcome) {
            Finish(outcome.refusal, outcome.lists ? &*outcome.lists : nullptr, after, done);
        },
        true);
}

bool ServiceSession::StartTypeChange() {
    const std::optional<uint32_t> startValue = model_.ChosenStartValue();
    const std::string serviceName = model_.Selected()->serviceName;
    // 更新 is disabled, whatever follows.
    model_.ForgetStartTypeChoice();
    if (!startValue || !BeginRequest({RequestKind::StartType, serviceName})) {
        Changed();
        return false;
    }
    const int item = ItemOfStartValue(*startValue);
    return Launch<StartTypeOutcome>(
        Lane::Request,
        [system = system_, serviceName, startValue = *startValue, item](const JobContext&) mutable {
            const uint32_t error = ChangeStartType(system, serviceName, startValue);
            if (error == 0) return StartTypeOutcome{item, {}};
            // The choice was never applied: show what is stored, as the panel reads it, then say why.
            std::string unreadable;
            return StartTypeOutcome{ReadRegistryDetailsShown(system, serviceName, unreadable).startItem,
                                    SystemErrorText(error, system.environment)};
        },
        [this, serviceName, item](StartTypeOutcome& outcome) {
            const ServiceEntry* now = model_.Selected();
            if (now != nullptr && now->serviceName == serviceName) model_.SetStartItem(outcome.shown);
            const std::string done = "のスタートアップの種類を「" + std::string(kStartTypeItems[static_cast<std::size_t>(item)]) + "」にしました";
            Finish(outcome.refusal, nullptr, std::nullopt, DoneText(serviceName, done.c_str()));
        });
}

bool ServiceSession::StartDependencies() {
    const ServiceEntry service = *model_.Selected();
    if (!BeginRequest({RequestKind::Dependencies, service.serviceName})) return false;
    return Launch<DependenciesRead>(
        Lane::Request,
        [system = system_, service, driver = driverIcon_, defaultIcon = defaultIcon_](const JobContext&) mutable {
            const DependencyIcons icons{driver ? driver->get() : 0, defaultIcon ? defaultIcon->get() : 0};
            return DependenciesRead{LookUpDependencies(system, service.serviceName, icons),
                                    SystemErrorText(kErrorServiceDoesNotExist, system.environment)};
        },
        [this, service](DependenciesRead& read) {
            missingServiceText_ = read.missingText;
            dependencies_ = std::make_unique<DependencyView>(DependencyView{service, std::move(read.lists)});
            Finish({}, nullptr, std::nullopt);
        });
}

bool ServiceSession::SaveList(const std::string& file, bool fromMenu) {
    if (model_.Busy()) {
        if (!fromMenu || deferred_) return false;
        deferred_ = std::make_unique<Deferred>(Deferred{"一覧を保存", {}, [this, file] { return SaveList(file, false); }});
        return true;
    }
    if (!model_.Catalogue() || !BeginRequest({RequestKind::SaveList, {}})) return false;
    // Every service of the three tabs, whatever the filter shows.
    const TabEntries tabs{model_.AllEntries(kRunningTab), model_.AllEntries(kPausedTab), model_.AllEntries(kStoppedTab)};
    // A save under way when the window closes is carried through; its failure is still told.
    return Launch<std::string>(
        Lane::Request,
        [system = system_, tabs, file, toUtf8 = services_.toUtf8](const JobContext& context) mutable {
            std::vector<ServiceReadError> startTypeErrors;  // such a start type is left empty
            const std::string csv = FormatServicesCsv(system, tabs, toUtf8, startTypeErrors);
            const uint32_t error = system.files.WriteWholeFile(file, "\xEF\xBB\xBF" + csv);
            if (error == 0) return std::string();
            const std::string text =
                "一覧を「" + file + "」に保存できませんでした。\r\n" + SystemErrorText(error, system.environment);
            if (context.Abandoned()) context.ReportAlone(text);
            return text;
        },
        [this](std::string& refusal) { Finish(refusal, nullptr, std::nullopt); }, true);
}

}  // namespace rondel
