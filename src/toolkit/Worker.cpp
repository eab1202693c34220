#include "toolkit/Worker.h"

#include <deque>
#include <exception>
#include <utility>
#include <vector>

#include "platform/Win32Handles.h"
#include "toolkit/ErrorHandler.h"

namespace rondel {

namespace {

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ::ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

// The jobs that must finish before the program ends, each as the event its thread sets then.
SRWLOCK g_mustFinishLock = SRWLOCK_INIT;
std::vector<unique_handle>& MustFinish() {
    static auto* jobs = new std::vector<unique_handle>;  // never destroyed: threads may outlive main
    return *jobs;
}

}  // namespace

// What the worker's thread and the window share: the jobs to do, the window to tell (null once
// it has gone) and the news not yet delivered, each job's last task among them.
struct TWorker::Shared {
    struct Queued {
        Job job;
        unique_handle finished;  // for a job that must finish: set when it has
    };
    struct Delivered {
        Task task;
        bool last = false;  // a job's last task: the worker has one job fewer then
    };
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE jobCame = CONDITION_VARIABLE_INIT;
    unique_handle thread;
    HWND window = nullptr;
    UINT message = 0;
    std::deque<Queued> jobs;
    bool quit = false;
    std::deque<Delivered> news;

    // Under the lock: adds to the news, and wakes the window unless a wake-up is on its way.
    void Tell(Task task, bool last) {
        if (window == nullptr) return;
        const bool quiet = news.empty();
        news.push_back({std::move(task), last});
        if (quiet) ::PostMessageA(window, message, 0, 0);
    }
};

void TWorker::News::Post(Task task) const {
    Locked locked(shared_->lock);
    shared_->Tell(std::move(task), false);
}

bool TWorker::News::WindowGone() const {
    Locked locked(shared_->lock);
    return shared_->window == nullptr;
}

TWorker::~TWorker() {
    if (!shared_) return;
    Locked locked(shared_->lock);
    shared_->window = nullptr;
    shared_->quit = true;
    ::WakeConditionVariable(&shared_->jobCame);
}

bool TWorker::Start(Job job, bool mustFinish) {
    if (window_ == nullptr) return false;
    if (!shared_) {
        auto shared = std::make_shared<Shared>();
        shared->window = window_;
        shared->message = message_;
        // The thread's own reference keeps what it shares alive after the worker has gone.
        auto* reference = new std::shared_ptr<Shared>(shared);
        shared->thread.reset(::CreateThread(nullptr, 0, &TWorker::Run, reference, 0, nullptr));
        if (!shared->thread) {
            delete reference;
            return false;
        }
        shared_ = std::move(shared);
    }
    unique_handle finished;
    if (mustFinish) {
        finished.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), finished.get(), ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
        Locked locked(g_mustFinishLock);
        std::vector<unique_handle>& jobs = MustFinish();
        std::erase_if(jobs, [](const unique_handle& done) { return ::WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0; });
        jobs.emplace_back(copy);
    }
    {
        Locked locked(shared_->lock);
        shared_->jobs.push_back({std::move(job), std::move(finished)});
    }
    ::WakeConditionVariable(&shared_->jobCame);
    ++pending_;
    return true;
}

DWORD WINAPI TWorker::Run(void* reference) {
    const std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(reference));
    delete static_cast<std::shared_ptr<Shared>*>(reference);
    const News news(shared);
    for (;;) {
        Shared::Queued queued;
        {
            Locked locked(shared->lock);
            while (shared->jobs.empty() && !shared->quit)
                ::SleepConditionVariableSRW(&shared->jobCame, &shared->lock, INFINITE, 0);
            if (shared->jobs.empty()) return 0;  // the worker has gone and nothing is left to do
            queued = std::move(shared->jobs.front());
            shared->jobs.pop_front();
        }
        Task last;
        try {
            last = queued.job(news);
        } catch (...) {
            // Told on the window's thread, as any error of the window's own.
            last = [error = std::current_exception()] { std::rethrow_exception(error); };
        }
        queued.job = nullptr;  // what the job held goes here, on this thread
        if (queued.finished) ::SetEvent(queued.finished.get());
        Locked locked(shared->lock);
        shared->Tell(std::move(last), true);
    }
}

void TWorker::Deliver() {
    if (!shared_) return;
    // One at a time from the shared queue: a task that runs a message loop of its own (a dialog)
    // delivers what came meanwhile from there, and the order stays the order sent.
    for (;;) {
        Shared::Delivered delivered;
        {
            Locked locked(shared_->lock);
            if (shared_->news.empty()) return;
            delivered = std::move(shared_->news.front());
            shared_->news.pop_front();
        }
        // One job fewer before its last task runs: the task may start the next.
        if (delivered.last) --pending_;
        if (!delivered.task) continue;
        try {
            delivered.task();
        } catch (...) {
            ShowCurrentException(window_ != nullptr ? ::GetAncestor(window_, GA_ROOT) : nullptr);
        }
    }
}

void TWorker::WaitForJobs(DWORD timeoutMs) {
    std::vector<HANDLE> jobs;
    {
        Locked locked(g_mustFinishLock);
        for (const unique_handle& finished : MustFinish()) jobs.push_back(finished.get());
    }
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (HANDLE finished : jobs) {
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(finished, now < end ? static_cast<DWORD>(end - now) : 0);
    }
}

}  // namespace rondel
