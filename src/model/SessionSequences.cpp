// The session's requests that ask the user first: a service stopped (or restarted) with the
// services that depend on it, and a service's process ended.
#include "control/DependentServices.h"
#include "control/ServiceState.h"
#include "model/SessionParts.h"

namespace rondel {

using namespace platform;

namespace {

// The services listed one to a line, indented.
std::string ListedLines(const std::vector<std::string>& names) {
    std::string lines;
    for (const std::string& name : names) lines += "　" + name + "\r\n";
    return lines;
}

struct SequenceRead {
    SequenceOutcome outcome;
    std::string failure;  // the dialog's text when it did not end
    std::optional<CatalogueBuild> lists;
};

std::string SequenceFailureText(const SequenceOutcome& outcome, bool restart, IEnvironment& environment) {
    const std::string what = restart ? "再起動" : "停止";
    const std::string verb = outcome.starting ? "開始" : "停止";
    const std::string ended = "依存サービスとともに" + what + "するのを中止しました。";
    if (outcome.timedOut)
        return "サービス「" + outcome.serviceName + "」が時間内に" + verb + "しませんでした。" + ended;
    return "サービス「" + outcome.serviceName + "」を" + verb + "できませんでした。" + ended + "\r\n" +
           ServiceErrorText(outcome.error, outcome.starting ? ServiceCommand::Start : ServiceCommand::Stop, environment);
}

struct ProcessRead {
    uint32_t processId = 0;
    std::vector<std::string> services;  // those that run in it
    std::string refusal;                // why it may not be ended
};

struct EndRead {
    std::string refusal;
    std::optional<CatalogueBuild> lists;
};

}  // namespace

bool ServiceSession::AskDependentsSequence(bool restart) {
    const std::string serviceName = model_.Selected()->serviceName;
    const std::vector<std::string> dependents = model_.RunningDependents();
    if (dependents.empty()) return false;
    const std::string text =
        "サービス「" + serviceName + "」を" +
        (restart ? "再起動します。先に次の依存サービスを停止し、再起動の後でもう一度開始します。" : "停止します。先に次の依存サービスを停止します。") +
        "\r\n\r\n" + ListedLines(dependents) + "\r\nよろしいですか？";
    questions_.push_back({text, [this, serviceName, dependents, restart] {
                              StartDependentsSequence(serviceName, dependents, restart);
                          }});
    Changed();
    return true;
}

bool ServiceSession::StartDependentsSequence(const std::string& serviceName, const std::vector<std::string>& dependents,
                                             bool restart) {
    if (!BeginRequest({RequestKind::Stop, dependents.front()})) return false;
    const AfterRequest after{restart ? std::nullopt : std::optional<ServiceCommand>(ServiceCommand::Stop), serviceName,
                             inputs_};
    const std::string done = "サービス「" + serviceName + "」を依存サービス " + std::to_string(dependents.size()) +
                             " 件とともに" + (restart ? "再起動しました" : "停止しました");
    // Carried through, as a restart is, even when the window is closed meanwhile.
    return Launch<SequenceRead, SequenceStep>(
        Lane::Request,
        [system = system_, serviceName, dependents, restart, nowMs = services_.nowMs, sleep = services_.sleep,
         read = ReadLists()](const JobContext& context, const std::function<void(SequenceStep)>& tell) mutable {
            const RestartPacing pacing{nowMs, sleep};
            SequenceRead result;
            result.outcome = StopWithDependents(system, serviceName, dependents, restart, pacing,
                                                [&tell](const SequenceStep& step) { tell(step); });
            if (!result.outcome.done) result.failure = SequenceFailureText(result.outcome, restart, system.environment);
            if (context.Abandoned()) {
                if (!result.failure.empty()) context.ReportAlone(result.failure);
                return result;
            }
            result.lists = read(context);
            return result;
        },
        [this](SequenceStep& step) {
            model_.RequestMovesOn({step.starting ? RequestKind::Start : RequestKind::Stop, step.serviceName, step.number,
                                   step.count});
            Changed();
        },
        [this, after, done](SequenceRead& result) {
            Finish(result.failure, result.lists ? &*result.lists : nullptr, after, done);
        },
        true);
}

bool ServiceSession::FindProcess() {
    const std::string serviceName = model_.Selected()->serviceName;
    const uint32_t processId = model_.Details().processId;
    if (!BeginRequest({RequestKind::FindProcess, serviceName})) return false;
    return Launch<ProcessRead>(
        Lane::Request,
        [system = system_, processId](const JobContext&) mutable {
            ProcessRead read{processId, {}, {}};
            if (processId == system.processes.ManagerProcessId())
                read.refusal = "プロセス " + std::to_string(processId) +
                               " はサービス コントロール マネージャーです。終了できません。";
            else if (processId == system.processes.CurrentProcessId())
                read.refusal = "プロセス " + std::to_string(processId) + " はこのプログラムです。終了できません。";
            if (!read.refusal.empty()) return read;
            // Every service that runs in it ends with it.
            if (const std::optional<ServiceStates> states = ReadServiceStates(system)) {
                for (const auto& [name, state] : *states)
                    if (state != kServiceStopped && QueryCurrentStatus(system, name).processId == processId)
                        read.services.push_back(name);
            }
            return read;
        },
        [this, serviceName](ProcessRead& read) {
            if (read.refusal.empty()) {
                const std::string text = "プロセス " + std::to_string(read.processId) +
                                         " を終了しますか？\r\nこのプロセスで動いている次のサービスがすべて止まります。\r\n\r\n" +
                                         ListedLines(read.services);
                questions_.push_back({text, [this, processId = read.processId, serviceName] {
                                          StartEndProcess(processId, serviceName);
                                      }});
            }
            Finish(read.refusal, nullptr, std::nullopt);
        });
}

bool ServiceSession::StartEndProcess(uint32_t processId, const std::string& serviceName) {
    if (!BeginRequest({RequestKind::EndProcess, std::to_string(processId)})) return false;
    const AfterRequest after{std::nullopt, serviceName, inputs_};
    return Launch<EndRead>(
        Lane::Request,
        [system = system_, processId, read = ReadLists()](const JobContext& context) mutable {
            const uint32_t error = system.processes.Terminate(processId);
            if (error != 0)
                return EndRead{"プロセス " + std::to_string(processId) + " を終了できませんでした。\r\n" +
                                   SystemErrorText(error, system.environment),
                               std::nullopt};
            return EndRead{{}, read(context)};
        },
        [this, after, processId](EndRead& result) {
            Finish(result.refusal, result.lists ? &*result.lists : nullptr, after,
                   "プロセス " + std::to_string(processId) + " を終了しました");
        });
}

}  // namespace rondel
