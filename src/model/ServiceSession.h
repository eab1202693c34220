// The session under the main window: the model it shows, what the lists were read as, the
// catalogue's memory, the settings and the requests, free of windows.
//
// Each request is a job, which runs on an executor's lane with the machine and copies of what it
// needs and gives back a result, and an apply step, which puts the result into the model on the
// session's thread. The person's input wins: a result is applied to what is selected, chosen and
// shown when it arrives, never to what was when the job began. The view hears through OnChanged
// that something it shows changed, and asks the session what to show; it never waits.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/IncrementalSearch.h"
#include "catalogue/ServiceCatalogue.h"
#include "control/DependencyLookup.h"
#include "control/ServiceCommands.h"
#include "model/Executor.h"
#include "model/ServiceModel.h"
#include "platform/Platform.h"

namespace rondel {

// What the session is given beside the machine: the clock and the pause between a restart's
// status queries, the text conversion of the CSV, and the road to the home page (a browser
// talked to over DDE by the window toolkit).
struct SessionServices {
    std::function<uint64_t()> nowMs;
    std::function<void(uint32_t ms)> sleep;
    std::function<std::array<int, 3>()> timeOfDay;  // hour, minute, second
    Utf8Converter toUtf8;
    std::function<void(platform::Platform&)> openHomePage;
};

// What the user must be told, in the order it came.
struct Notice {
    enum Kind {
        Refusal,   // a refused request: the error dialog
        OddValue,  // a registry value the reads refuse: the general error handler's box
    };
    Kind kind = Refusal;
    std::string text;
    bool operator==(const Notice&) const = default;
};

// A question the user answers with はい or いいえ before the session goes on (onYes).
struct Question {
    std::string text;
    std::function<void()> onYes;
};

// The dependencies window's content: the service and its two lists.
struct DependencyView {
    ServiceEntry service;
    DependencyLists lists;
};

// The requests a person can make, through the buttons, the keys and the list's menu.
enum class Request {
    Refresh,
    Start,
    Stop,
    Pause,
    Continue,
    Restart,
    StartType,
    Dependencies,
    HomePage,
    StopWithDependents,     // asks first, naming the dependents that will stop
    RestartWithDependents,  // the same, then starts them all again
    EndProcess,             // asks first, naming the services of the process
};

class CatalogueMemory;

class ServiceSession {
public:
    ServiceSession(platform::Platform system, IExecutor& executor, SessionServices services);
    ~ServiceSession();
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;

    // Told whenever something the view shows changed: the model, the status, the caption, the
    // settings, a notice or the dependencies to show.
    std::function<void()> OnChanged;

    // ---------------------------------------------------------------- what the view shows
    const ServiceModel& Model() const { return model_; }
    // The status bar: what is under way, or what the last request did, or the notice; then,
    // after two TABs, the selected service's exact state and process, and when the lists were
    // last read.
    std::string StatusText() const;
    // The program's product name and version for the caption; empty until read.
    const std::string& Caption() const { return caption_; }
    // How often the live list asks for the services' states; 0 until the settings are read, or
    // when they turn it off.
    unsigned WatchInterval() const { return watchInterval_; }
    // Whether the banner may lead to the home page: false until the settings are read, or when
    // a policy turns it off (Request::HomePage is then refused).
    bool HomePageAllowed() const { return homePageAllowed_; }
    bool HasSomethingToTell() const { return !notices_.empty() || !questions_.empty() || dependencies_ != nullptr; }
    std::optional<Notice> TakeNotice();
    std::optional<Question> TakeQuestion();
    std::unique_ptr<DependencyView> TakeDependencies();
    // No job of any lane is under way or waits to be applied.
    bool Idle() const;

    // ---------------------------------------------------------------- the person's input
    // The first reading: settings, the program's caption, the icons, the lists. The session is
    // made reading them: nothing else is asked before they are read.
    void Start();
    void ShowTab(ServiceTab tab);
    // The next (+1) or the one before (-1), in a ring.
    void StepTab(int step);
    void Select(int index);
    // Type-to-find in the list: true when the character was one to search with.
    bool TypeToFind(char key);
    // Shows a service by name (ASCII letters in any case) in its tab, selected. When it is in
    // no list, nothing changes and the text to tell is given: a driver is not shown, a service
    // that does not exist (any more) says so.
    std::optional<std::string> View(const ServiceEntry& service);
    void ChooseStartType(int item);
    // The filter's text (ServiceModel::SetFilter).
    void SetFilter(const std::string& text);

    // Starts a request about the selected service (none for Refresh and HomePage). Refused
    // (false) while another is under way, or when the model does not allow it now. From the
    // list's menu (whose item was shown enabled) it is never dropped: once the request under way
    // is over it is carried out, or refused with a word when it no longer applies.
    bool Ask(Request request, bool fromMenu = false);
    // Writes the three tabs' services as CSV into file (a program's end waits for it).
    bool SaveList(const std::string& file, bool fromMenu = true);
    // The live list's round: when the services' states are not those the lists were read as,
    // the lists are read again in the background, and shown unless a request of the user's
    // began meanwhile (which reads them itself).
    void Watch();

private:
    struct Deferred;
    struct AfterRequest;
    struct Memory;
    template <typename Result>
    using Job = std::function<Result(const JobContext&)>;

    void Changed();
    // Runs a job on a lane; apply gets its result on this thread. A job that threw ends the
    // lane's business through failed.
    template <typename Result>
    bool Launch(Lane lane, Job<Result> job, std::function<void(Result&)> apply, bool mustFinish = false);
    template <typename Result, typename Partial>
    bool Launch(Lane lane, std::function<Result(const JobContext&, const std::function<void(Partial)>&)> job,
                std::function<void(Partial&)> onPartial, std::function<void(Result&)> apply, bool mustFinish = false);
    bool Run(Lane lane, Work work);
    void Failed(Lane lane, std::exception_ptr error);

    // Begins the user's request: the model waits, the live list's reading under way is dropped.
    bool BeginRequest(PendingRequest request);
    // The job's reading of the lists, with the session's memory.
    Job<CatalogueBuild> ReadLists() const;
    // The request is over: its lists shown, its refusal told or what it did (done) said in the
    // status bar until the next request, a deferred menu command run.
    void Finish(const std::string& refusal, CatalogueBuild* lists, const std::optional<AfterRequest>& after,
                const std::string& done = {});
    void TakeLists(CatalogueBuild& lists, const std::optional<AfterRequest>& after);
    void RunDeferred();

    bool StartCommand(ServiceCommand command);
    bool StartRestart();
    // Asks whether to stop the dependents too; on はい, stops them and the service (and starts
    // them all again for a restart).
    bool AskDependentsSequence(bool restart);
    bool StartDependentsSequence(const std::string& serviceName, const std::vector<std::string>& dependents,
                                 bool restart);
    // Finds the services of the selected service's process, asks whether to end it, ends it.
    bool FindProcess();
    bool StartEndProcess(uint32_t processId, const std::string& serviceName);
    bool StartTypeChange();
    bool StartDependencies();

    // The selected service's details: read on the details lane; a late answer for a service no
    // longer selected is dropped. tell: an odd registry value is told (a selection's first reading).
    void AskDetails(bool tell);

    platform::Platform system_;
    IExecutor& executor_;
    SessionServices services_;
    ServiceModel model_;
    std::shared_ptr<Memory> memory_;
    std::shared_ptr<const platform::IconHandle> driverIcon_;
    std::shared_ptr<const platform::IconHandle> defaultIcon_;
    std::string caption_;
    unsigned watchInterval_ = 0;
    bool homePageAllowed_ = false;
    std::string listedAt_;
    std::string lastAction_;  // what the last request did, with its time
    std::shared_ptr<const ServiceStates> listedStates_;
    uint64_t shownBuild_ = 0;
    std::string missingServiceText_;  // the system's words for a service that does not exist
    bool oddValueTold_ = false;
    IncrementalSearch search_;
    std::deque<Notice> notices_;
    std::deque<Question> questions_;
    std::unique_ptr<DependencyView> dependencies_;
    std::unique_ptr<Deferred> deferred_;
    std::unique_ptr<AfterRequest> awaited_;  // a command's service not yet in its tab
    // Counts the person's choices (tab, selection, start type), so that a request's end knows
    // whether anything was chosen since it began.
    uint64_t inputs_ = 0;
    // Counts the user's requests, so that the live list knows its reading is out of date.
    uint64_t requests_ = 0;
    bool watching_ = false;
    uint64_t detailsAsked_ = 0;
    bool detailsRunning_ = false;
    std::optional<bool> detailsWanted_;  // asked while another reading ran: tell or not
    int running_[kLaneCount] = {};       // jobs started and not yet applied, per lane
};

}  // namespace rondel
