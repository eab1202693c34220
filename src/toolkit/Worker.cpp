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

// The threads of the jobs that must finish before the program ends.
SRWLOCK g_mustFinishLock = SRWLOCK_INIT;
std::vector<unique_handle>& MustFinish() {
    static auto* threads = new std::vector<unique_handle>;  // never destroyed: threads may outlive main
    return *threads;
}

}  // namespace

// What the job's thread and the window share: the window to tell (null once it has gone) and
// the news not yet delivered.
struct TWorker::Shared {
    unique_handle thread;
    SRWLOCK lock = SRWLOCK_INIT;
    HWND window = nullptr;
    UINT message = 0;
    std::deque<Task> news;
    Task last;
    bool over = false;

    // Under the lock: wakes the window unless a wake-up is on its way already.
    void Wake(bool wasQuiet) {
        if (wasQuiet && window != nullptr) ::PostMessageA(window, message, 0, 0);
    }
};

void TWorker::News::Post(Task task) const {
    Locked locked(shared_->lock);
    if (shared_->window == nullptr) return;
    const bool quiet = shared_->news.empty();
    shared_->news.push_back(std::move(task));
    shared_->Wake(quiet);
}

bool TWorker::News::WindowGone() const {
    Locked locked(shared_->lock);
    return shared_->window == nullptr;
}

struct TWorker::Launch {
    std::shared_ptr<Shared> shared;
    Job job;
};

TWorker::~TWorker() {
    if (!shared_) return;
    Locked locked(shared_->lock);
    shared_->window = nullptr;
}

bool TWorker::Start(Job job, bool mustFinish) {
    if (shared_ || window_ == nullptr) return false;
    auto shared = std::make_shared<Shared>();
    shared->window = window_;
    shared->message = message_;
    auto* launch = new Launch{shared, std::move(job)};
    // Suspended until the handle is in place: the thread may be done before CreateThread returns.
    shared->thread.reset(::CreateThread(nullptr, 0, &TWorker::Run, launch, CREATE_SUSPENDED, nullptr));
    if (!shared->thread) {
        delete launch;
        return false;
    }
    thread_ = shared->thread.get();
    if (mustFinish) {
        HANDLE copy = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), thread_, ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
        Locked locked(g_mustFinishLock);
        std::vector<unique_handle>& threads = MustFinish();
        std::erase_if(threads, [](const unique_handle& t) { return ::WaitForSingleObject(t.get(), 0) == WAIT_OBJECT_0; });
        threads.emplace_back(copy);
    }
    shared_ = std::move(shared);
    ::ResumeThread(thread_);
    return true;
}

DWORD WINAPI TWorker::Run(void* parameter) {
    const std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
    const News news(launch->shared);
    Task last;
    try {
        last = launch->job(news);
    } catch (...) {
        // Told on the window's thread, as any error of the window's own.
        last = [error = std::current_exception()] { std::rethrow_exception(error); };
    }
    launch->job = nullptr;  // what the job held goes here, on its own thread
    Shared& shared = *launch->shared;
    Locked locked(shared.lock);
    if (shared.window == nullptr) return 0;
    const bool quiet = shared.news.empty() && !shared.over;
    shared.last = std::move(last);
    shared.over = true;
    shared.Wake(quiet);
    return 0;
}

void TWorker::Deliver() {
    if (!shared_) return;
    std::deque<Task> news;
    Task last;
    bool over = false;
    {
        Locked locked(shared_->lock);
        news.swap(shared_->news);
        over = shared_->over;
        if (over) last = std::move(shared_->last);
    }
    // Free again before the last task runs: it may start the next job.
    if (over) {
        shared_.reset();
        thread_ = nullptr;
    }
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
    if (!shared_) return true;
    if (::WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) return false;
    Deliver();
    return true;
}

void TWorker::WaitForJobs(DWORD timeoutMs) {
    std::vector<HANDLE> threads;
    {
        Locked locked(g_mustFinishLock);
        for (const unique_handle& thread : MustFinish()) threads.push_back(thread.get());
    }
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (HANDLE thread : threads) {
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(thread, now < end ? static_cast<DWORD>(end - now) : 0);
    }
}

}  // namespace rondel
