// The model under the main window: the catalogue's three lists as entries, the tab shown, the
// selected service with what its details panel shows, the user's start-type choice and the
// request under way; and, from these, what each command may do now.
//
// The windows show it and hand it what the user does; they never read their own controls back
// to learn what is selected or what an item says. It knows nothing of windows or threads: the
// session under the main window changes it on one thread only, with what its jobs brought back.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ServiceCatalogue.h"
#include "catalogue/ServiceEntry.h"
#include "control/ServiceCommands.h"
#include "control/ServiceState.h"

namespace rondel {

// What the window is waiting for.
enum class RequestKind {
    Refresh,
    Start,
    Stop,
    Pause,
    Continue,
    RestartStop,   // a restart, while it stops the service and waits for it
    RestartStart,  // a restart, once it starts the service again
    StartType,
    Dependencies,
    HomePage,
    SaveList,
    FindProcess,  // which services run in the selected service's process
    EndProcess,   // serviceName: the process id
};

struct PendingRequest {
    RequestKind kind = RequestKind::Refresh;
    std::string serviceName;  // empty for a refresh and the home page
    // A step of a sequence (the stops and starts of a service with its dependents): step of steps.
    int step = 0;
    int steps = 0;
};

// The status bar's text while a request is under way, and when none is.
std::string StatusText(const std::optional<PendingRequest>& pending);
// When the lists were last read, as the status bar says it at its right end: "最終更新 9:05:07".
std::string ListedAtText(int hour, int minute, int second);
// A time of day as the status bar says it: "9:05:07".
std::string TimeText(int hour, int minute, int second);

// The details panel's labels, in its order (the memo has none on the panel, "サービスの説明" in the
// copies).
inline constexpr const char* kDetailLabels[] = {"サービス名", "表示名", "会社名", "説　明",
                                                "実ファイル", "サービスの説明", "スタートアップの種類"};

// What the user may ask for now: the buttons, the menu's items and the keys.
struct CommandStates {
    bool start = false;
    bool stop = false;
    bool pause = false;
    bool resume = false;
    bool restart = false;
    bool startType = false;     // the drop-down list
    bool update = false;        // 更新
    bool dependencies = false;
    bool copy = false;          // the name and the details
    bool refresh = false;       // F5
    bool saveList = false;      // 一覧を保存...
    bool stopWithDependents = false;     // 依存サービスも停止: the service can stop and has running dependents
    bool restartWithDependents = false;  // 依存サービスも再起動
    bool endProcess = false;             // プロセスを終了: the service runs in a process
    bool operator==(const CommandStates&) const = default;
};

class ServiceModel {
public:
    // ---------------------------------------------------------------- the lists
    // Takes newly read lists. The selected service stays selected, with what is known of it and
    // the start type chosen for it, in the tab where it is now (which then shows; what the
    // manager said it accepts is asked again when it moved). A service no longer listed leaves
    // nothing selected in the tab shown.
    void TakeCatalogue(std::shared_ptr<const ServiceCatalogue> catalogue);
    const std::shared_ptr<const ServiceCatalogue>& Catalogue() const { return catalogue_; }
    // The entries the tab shows (those the filter keeps): entry k is item k of its list; empty
    // before the first catalogue.
    const std::vector<ServiceEntry>& Entries(ServiceTab tab) const;
    // Every entry of the tab's list, whatever the filter.
    const std::vector<ServiceEntry>& AllEntries(ServiceTab tab) const;
    // The image of shown entry index in the tab's image list.
    int ImageOf(ServiceTab tab, int index) const;
    // The tab's list with its icons (image k belongs to entry k); null before the first catalogue.
    const StateList* List(ServiceTab tab) const;

    // ---------------------------------------------------------------- the filter
    // Keeps in each tab only the services whose service name, display name, company, file
    // description or registry description holds text (ASCII letters in any case, double-byte
    // characters whole); an empty text keeps them all. The selected service stays selected while
    // it is kept; else nothing is.
    void SetFilter(const std::string& text);
    const std::string& Filter() const { return filter_; }

    // ---------------------------------------------------------------- tab and selection
    ServiceTab CurrentTab() const { return currentTab_; }
    // Shows a tab with nothing selected.
    void ShowTab(ServiceTab tab);
    // -1 for none.
    int SelectedIndex() const { return selected_; }
    // The selected service, or null.
    const ServiceEntry* Selected() const;
    // Selects entry index of the tab shown; its details are not known yet (SetDetails). Any
    // other index selects nothing.
    void Select(int index);
    // What the panel shows of the selected service, read for it. Without the status (the
    // manager's answer may come later, SetStatus), the tab alone says which commands the
    // service may be given.
    void SetDetails(const ServiceDetailsShown& details, bool withStatus = true);
    // The manager's status of the selected service: what it accepts, its exact state, its process.
    void SetStatus(const platform::ServiceStatus& status);
    // The key's part of the details read again (description, start type, whether it has a key);
    // what the manager said stays.
    void SetRegistryDetails(const ServiceDetailsShown& details);
    // The start type shown for the selected service (after a change, or a refused one).
    void SetStartItem(std::optional<int> startItem);
    bool StatusKnown() const { return statusKnown_; }
    const ServiceDetailsShown& Details() const { return details_; }

    // The index of the entry with exactly this name in a tab's list, -1 when there is none.
    int IndexOf(ServiceTab tab, const std::string& serviceName) const;
    // Finds a service by name (ASCII letters in any case) in the running, stopped and paused
    // lists, in that order, shows its tab and selects it. False, and nothing changed, when it
    // is in none.
    bool SelectService(const std::string& serviceName);
    // After a successful command, once the lists have been read again: the command's target
    // tab shown, and the service selected there when that tab's list holds exactly its name.
    void CommandCarriedOut(ServiceCommand command, const std::string& serviceName);

    // ---------------------------------------------------------------- the start type
    // The user's choice in the drop-down list, for the selected service only.
    void ChooseStartType(int item);
    std::optional<int> StartChoice() const { return startChoice_; }
    // The start value the user chose for the selected service; none without a choice.
    std::optional<uint32_t> ChosenStartValue() const;
    // The choice was sent, or given up: 更新 is disabled until the next choice.
    void ForgetStartTypeChoice() { startChoice_.reset(); }

    // ---------------------------------------------------------------- requests
    // Begins a request unless one is under way (false then).
    bool BeginRequest(PendingRequest request);
    // A restart moves on to its next step; the same request goes on.
    void RequestMovesOn(RequestKind kind);
    // A sequence moves on to its next step: what it does now, to which service.
    void RequestMovesOn(PendingRequest step);
    void EndRequest() { pending_.reset(); }
    bool Busy() const { return pending_.has_value(); }
    const std::optional<PendingRequest>& Pending() const { return pending_; }

    CommandStates Commands() const;
    // The services that must stop before the selected one can: those that depend on it at any
    // level and are listed as running or paused, the deepest first (DependentsToStop).
    std::vector<std::string> RunningDependents() const;
    // The selected service's exact state and process as the status bar tells them
    // ("停止処理中", "実行中（PID 1234）"); empty until the manager has answered.
    std::string StateText() const;
    // The selected service's details as "label: value" lines, in the panel's order; a value of
    // several lines goes on in indented lines. Empty with nothing selected.
    std::string DetailsText() const;

private:
    // The shown entries of each tab anew, from the lists and the filter.
    void ApplyFilter();
    // Selects the named service in the tab shown when it is there, else nothing.
    void Reselect(const std::string& serviceName);

    std::shared_ptr<const ServiceCatalogue> catalogue_;
    std::string filter_;
    std::array<std::vector<ServiceEntry>, 3> kept_;  // with a filter: the entries it keeps
    std::array<std::vector<int>, 3> keptImages_;     // and their images
    ServiceTab currentTab_ = kRunningTab;
    int selected_ = -1;
    bool statusKnown_ = false;
    ServiceDetailsShown details_;
    std::optional<int> startChoice_;
    std::optional<PendingRequest> pending_;
};

}  // namespace rondel
