// TForm1's requests: everything that asks another process and may have to wait for its answer
// (the manager, a service, the registry's writer, a browser) runs on the window's worker, one
// request at a time. Meanwhile the window answers and paints, the status bar says what is under
// way and the commands wait; when the request is over, the window shows its outcome as if it
// had waited for it.
#include <memory>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/CatalogueMemory.h"
#include "control/DependencyLookup.h"
#include "control/ServiceRestart.h"
#include "control/StartType.h"
#include "platform/Win32Platform.h"
#include "toolkit/MessageDialog.h"
#include "ui/HomePage.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace rondel {

using namespace platform;
using Task = TWorker::Task;
using News = TWorker::News;

namespace {

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

std::string RestartTimeOutText(const std::string& serviceName) {
    return "サービス「" + serviceName + "」が時間内に停止しませんでした。再起動を中止しました。";
}

// A catalogue read by a job, carried to the window (a task must be copyable).
using SharedBuild = std::shared_ptr<CatalogueBuild>;
// Read with the window's memory, used by one job at a time: what has not changed is not read
// again, and no catalogue comes when nothing has.
SharedBuild ReadCatalogue(Platform& system, const std::shared_ptr<const IconHandle>& defaultIcon,
                          const std::shared_ptr<CatalogueMemory>& memory) {
    return std::make_shared<CatalogueBuild>(BuildCatalogue(system, defaultIcon->get(), memory.get()));
}

}  // namespace

bool TForm1::StartRequest(PendingRequest request, TWorker::Job job, bool mustFinish) {
    if (model_.Busy() || !HandleAllocated()) return false;
    if (!worker_.Start(std::move(job), mustFinish)) {
        ReportError(SystemErrorText(::GetLastError(), system_.environment));
        return false;
    }
    model_.BeginRequest(std::move(request));
    ShowCommands();
    ShowStatus();
    return true;
}

void TForm1::EndRequest() {
    model_.EndRequest();
    ShowCommands();
    ShowStatus();
}

void TForm1::TakeCatalogue(CatalogueBuild build) {
    if (build.catalogue) {
        // The list box lets go of the old icons before they go.
        GLB_List.SetGlyphs(nullptr);
        model_.SetCatalogue(std::move(build.catalogue));
    } else {
        model_.ShowTab(model_.CurrentTab());  // the same lists: as a new catalogue leaves them
    }
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    listedAt_ = ListedAtText(now.wHour, now.wMinute, now.wSecond);
    listedStates_ = std::make_shared<const ServiceStates>(std::move(build.result.states));
    ShowStatus();
    // One odd registry value is reported once, after the lists are shown.
    if (!build.result.readErrors.empty() && !readErrorReported_) {
        readErrorReported_ = true;
        ShowErrorLater(build.result.readErrors.front().message);
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFirstRefresh) {
        RefreshServices();
        return 0;
    }
    for (TWorker* worker : {&worker_, &statusReader_, &watcher_}) {
        if (message != worker->Message()) continue;
        worker->Deliver();
        return 0;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}

void TForm1::AskStatus() {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr || model_.StatusKnown()) return;
    const uint64_t selection = selections_;
    const bool started = statusReader_.Start(
        [this, system = system_, serviceName = selected->serviceName, selection](const News&) mutable -> Task {
            const uint32_t accepted = QueryCurrentStatus(system, serviceName).controlsAccepted;
            return [this, accepted, selection] {
                if (selection != selections_) {
                    AskStatus();  // another service was selected while this answer was awaited
                    return;
                }
                model_.SetControlsAccepted(accepted);
                ShowCommands();
            };
        });
    // The manager answers at once, unless a service it waits for holds it (Wine's holds every
    // request then): the window waits that little, and shows a late answer when it comes.
    if (started) statusReader_.AwaitBriefly(kStatusWaitMs);
}

void TForm1::RefreshServices() {
    StartRequest({RequestKind::Refresh, {}}, [this, system = system_, icon = defaultIcon_, memory = memory_](const News&) mutable -> Task {
        const SharedBuild build = ReadCatalogue(system, icon, memory);
        return [this, build] {
            EndRequest();
            TakeCatalogue(std::move(*build));
            ShowModel();
        };
    });
}

void TForm1::RefreshKeepingSelection() {
    const ServiceEntry* selected = model_.Selected();
    const std::string serviceName = selected != nullptr ? selected->serviceName : std::string();
    StartRequest({RequestKind::Refresh, {}},
                 [this, system = system_, icon = defaultIcon_, memory = memory_, serviceName](const News&) mutable -> Task {
                     const SharedBuild build = ReadCatalogue(system, icon, memory);
                     return [this, build, serviceName] {
                         EndRequest();
                         TakeCatalogue(std::move(*build));
                         if (!serviceName.empty()) model_.SelectService(serviceName);
                         ShowModel();
                     };
                 });
}

// As F5, keeping what the user sees: the selected service (in its new tab when it moved), the
// scroll position of the tab shown, a start type chosen and not sent.
void TForm1::FollowServices() {
    const ServiceEntry* selected = model_.Selected();
    const std::string serviceName = selected != nullptr ? selected->serviceName : std::string();
    const std::optional<int> choice = model_.StartChoice();
    const ServiceTab tab = model_.CurrentTab();
    const int top = GLB_List.TopIndex();
    StartRequest({RequestKind::Refresh, {}}, [this, system = system_, icon = defaultIcon_, memory = memory_, serviceName,
                                              choice, tab, top](const News&) mutable -> Task {
        const SharedBuild build = ReadCatalogue(system, icon, memory);
        return [this, build, serviceName, choice, tab, top] {
            EndRequest();
            TakeCatalogue(std::move(*build));
            if (!serviceName.empty()) model_.SelectService(serviceName);
            const ServiceEntry* now = model_.Selected();
            const bool same = now != nullptr && now->serviceName == serviceName;
            ShowList();
            if (model_.CurrentTab() == tab) GLB_List.SetTopIndex(top);
            if (now != nullptr) ReadSelectedDetails();
            else ShowSelection();
            if (same && choice) {
                CB_Start.SetItemIndex(*choice);
                CB_StartChange();
            }
        };
    });
}

void TForm1::RunServiceCommand(ServiceCommand command) {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr) return;
    const std::string serviceName = selected->serviceName;
    StartRequest({KindOf(command), serviceName}, [this, system = system_, icon = defaultIcon_, memory = memory_, serviceName,
                                                  command](const News&) mutable -> Task {
        // The handles stay open until the lists have been read again; the service's goes first.
        ServiceCommandRequest request(system, serviceName, command);
        const uint32_t error = request.Send();
        if (error != 0) {
            return [this, text = ServiceErrorText(error, command, system.environment)] {
                EndRequest();
                ReportError(text);
            };
        }
        const SharedBuild build = ReadCatalogue(system, icon, memory);
        return [this, build, command, serviceName] {
            EndRequest();
            TakeCatalogue(std::move(*build));
            model_.CommandCarriedOut(command, serviceName);
            ShowModel();
        };
    });
}

void TForm1::SaveListTo(const std::string& file) {
    if (model_.List(kRunningTab) == nullptr) return;
    const TabEntries tabs{model_.Entries(kRunningTab), model_.Entries(kPausedTab), model_.Entries(kStoppedTab)};
    StartRequest({RequestKind::SaveList, {}}, [this, system = system_, tabs, file](const News&) mutable -> Task {
        std::vector<ServiceReadError> startTypeErrors;  // such a start type is left empty
        const std::string csv = FormatServicesCsv(system, tabs, Utf8FromCodePage932, startTypeErrors);
        const uint32_t error = WriteWholeFile(file, "\xEF\xBB\xBF" + csv);
        return [this, file, text = error != 0 ? SystemErrorText(error, system.environment) : std::string()] {
            EndRequest();
            if (!text.empty()) ReportError("一覧を「" + file + "」に保存できませんでした。\r\n" + text);
        };
    });
}

void TForm1::RestartSelected() {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr) return;
    const std::string serviceName = selected->serviceName;
    const auto job = [this, system = system_, icon = defaultIcon_, memory = memory_, serviceName](const News& news) mutable -> Task {
        RestartPacing pacing{[]() -> uint64_t { return ::GetTickCount64(); }, [](uint32_t ms) { ::Sleep(ms); }};
        pacing.progress = [this, &news](RestartStep step) {
            if (step != RestartStep::Start) return;
            news.Post([this] {
                model_.RequestMovesOn(RequestKind::RestartStart);
                ShowStatus();
            });
        };
        const RestartOutcome outcome = RestartService(system, serviceName, pacing);
        const ServiceCommand failedCommand = outcome.step == RestartStep::Start ? ServiceCommand::Start : ServiceCommand::Stop;
        const std::string failure = outcome.timedOut ? RestartTimeOutText(serviceName)
                                    : outcome.step != RestartStep::Done
                                        ? ServiceErrorText(outcome.error, failedCommand, system.environment)
                                        : std::string();
        const bool failed = outcome.timedOut || outcome.step != RestartStep::Done;
        if (news.WindowGone()) {
            // The window was closed meanwhile: the program ends once this is said.
            if (failed) ::MessageBoxA(nullptr, failure.c_str(), "エラー", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
            return {};
        }
        const SharedBuild build = ReadCatalogue(system, icon, memory);
        return [this, build, failed, failure, serviceName] {
            EndRequest();
            if (failed) ReportError(failure);
            TakeCatalogue(std::move(*build));
            model_.SelectService(serviceName);
            ShowModel();
        };
    };
    // A restart once begun is carried through, even when the window is closed meanwhile.
    StartRequest({RequestKind::RestartStop, serviceName}, job, true);
}

void TForm1::ReportError(const std::string& text) {
    ShowMessageDialog(text, mtError, DialogButtons(mbOK), 0, Handle());
}

void TForm1::BB_UpdateClick() {
    const std::optional<uint32_t> startValue = model_.ChosenStartValue();
    const std::optional<int> item = startValue ? std::optional<int>(ItemOfStartValue(*startValue)) : std::nullopt;
    // 更新 is disabled, whatever follows.
    model_.ForgetStartTypeChoice();
    ShowCommands();
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr || !startValue) return;
    const std::string serviceName = selected->serviceName;
    // What the panel shows of the service when the change is over, if it is still the one selected.
    const auto showStartItem = [this, serviceName](std::optional<int> shown) {
        const ServiceEntry* now = model_.Selected();
        if (now == nullptr || now->serviceName != serviceName) return;
        model_.SetStartItem(shown);
        ShowSelection();
    };
    StartRequest({RequestKind::StartType, serviceName}, [this, system = system_, serviceName, startValue, item,
                                                         showStartItem](const News&) mutable -> Task {
        const uint32_t error = ChangeStartType(system, serviceName, *startValue);
        if (error == 0) {
            return [this, item, showStartItem] {
                EndRequest();
                showStartItem(item);
            };
        }
        // The choice was never applied: show what is stored, as the panel reads it, then say why.
        std::string unreadable;
        const std::optional<int> stored = ReadRegistryDetailsShown(system, serviceName, unreadable).startItem;
        return [this, stored, showStartItem, text = SystemErrorText(error, system.environment)] {
            EndRequest();
            showStartItem(stored);
            ReportError(text);
        };
    });
}

void TForm1::BB_DependClick() {
    const ServiceEntry* selected = model_.Selected();
    if (selected == nullptr) return;
    const ServiceEntry service = *selected;
    const DependencyIcons icons{driverIcon_ ? driverIcon_->get() : 0, defaultIcon_ ? defaultIcon_->get() : 0};
    StartRequest({RequestKind::Dependencies, service.serviceName},
                 [this, system = system_, service, icons, keep = std::pair{driverIcon_, defaultIcon_}](
                     const News&) mutable -> Task {
                     auto lists = std::make_shared<DependencyLists>(LookUpDependencies(system, service.serviceName, icons));
                     return [this, service, lists] {
                         EndRequest();
                         TForm2 dependencies(*this, service, std::move(*lists));
                         dependencies.ShowModal();
                     };
                 });
}

void TForm1::IM_LinkClick() {
    // One request at a time: the banner waits for the one under way.
    if (model_.Busy()) {
        ::MessageBeep(MB_OK);
        return;
    }
    if (!AskToVisitHomePage(*this)) return;
    StartRequest({RequestKind::HomePage, {}}, [this, system = system_](const News&) mutable -> Task {
        OpenHomePage(system);
        return [this] { EndRequest(); };
    });
}

}  // namespace rondel
