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

// What the worker's thread and the window share: the job to do, the window to tell (null once
// it has gone) and the news not yet delivered.
struct TWorker::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE jobCame = CONDITION_VARIABLE_INIT;
    unique_handle over{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // set when a job's last task is in
    unique_handle thread;
    HWND window = nullptr;
    UINT message = 0;
    Job job;
    unique_handle jobFinished;  // for a job that must finish: set when it has
    bool quit = false;
    std::deque<Task> news;
    Task last;
    bool lastIn = false;

    // Under the lock: wakes the window unless a wake-up is on its way already.
    void Wake(bool wasQuiet) {
        if (wasQuiet && window != nullptr) ::PostMessageA(window, message, 0, 0);
    }
};

void TWorker::News::Post(Task task) const {
    Locked locked(shared_->lock);
    if (shared_->window == nullptr) return;
    const bool quiet = shared_->news.empty() && !shared_->lastIn;
    shared_->news.push_back(std::move(task));
    shared_->Wake(quiet);
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
    if (busy_ || window_ == nullptr) return false;
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
    ::ResetEvent(shared_->over.get());
    {
        Locked locked(shared_->lock);
        shared_->job = std::move(job);
        shared_->jobFinished = std::move(finished);
    }
    ::WakeConditionVariable(&shared_->jobCame);
    busy_ = true;
    return true;
}

DWORD WINAPI TWorker::Run(void* reference) {
    const std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(reference));
    delete static_cast<std::shared_ptr<Shared>*>(reference);
    const News news(shared);
    for (;;) {
        Job job;
        unique_handle finished;
        {
            Locked locked(shared->lock);
            while (!shared->job && !shared->quit)
                ::SleepConditionVariableSRW(&shared->jobCame, &shared->lock, INFINITE, 0);
            if (!shared->job) return 0;  // the worker has gone and nothing is left to do
            job = std::move(shared->job);
            shared->job = nullptr;
            finished = std::move(shared->jobFinished);
        }
        Task last;
        try {
            last = job(news);
        } catch (...) {
            // Told on the window's thread, as any error of the window's own.
            last = [error = std::current_exception()] { std::rethrow_exception(error); };
        }
        job = nullptr;  // what the job held goes here, on this thread
        if (finished) ::SetEvent(finished.get());
        Locked locked(shared->lock);
        if (shared->window == nullptr) continue;
        const bool quiet = shared->news.empty() && !shared->lastIn;
        shared->last = std::move(last);
        shared->lastIn = true;
        ::SetEvent(shared->over.get());
        shared->Wake(quiet);
    }
}

void TWorker::Deliver() {
    if (!shared_) return;
    std::deque<Task> news;
    Task last;
    bool over = false;
    {
        Locked locked(shared_->lock);
        news.swap(shared_->news);
        over = std::exchange(shared_->lastIn, false);
        if (over) last = std::move(shared_->last);
    }
    // Free again before the last task runs: it may start the next job.
    if (over) busy_ = false;
    const auto run = [this](Task& task) {
        if (!task) return;
        try {
            task();
        } catch (...) {
            ShowCurrentException(window_ != nullptr ? ::GetAncestor(window_, GA_ROOT) : nullptr);
        }
    };
    for (Task& task : news) run(task);
    run(last);
}

bool TWorker::AwaitBriefly(DWORD timeoutMs) {
    if (!busy_) return true;
    if (::WaitForSingleObject(shared_->over.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    Deliver();
    return true;
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
