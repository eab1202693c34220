// A window's worker: jobs one after the other on a thread of its own, so that the window's
// thread never waits on another process.
//
// A job works on copies and on the machine, never on the window. It gives back a task, which
// the window runs on its own thread, from its message loop, once the job is over; while it
// runs it may send news (tasks too), which arrive in the order sent. When the window goes
// before the jobs end, they run to their end alone and what they send is dropped.
//
// The thread is made with the first job and lives as long as the worker: under Wine a thread's
// end holds up the other threads of the process for tens of milliseconds, the window's too.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace rondel {

class TWorker {
    struct Shared;  // what the worker's thread and the window share

public:
    using Task = std::function<void()>;

    // The job's way back to the window.
    class News {
    public:
        // The task runs on the window's thread; dropped when the window has gone.
        void Post(Task task) const;
        bool WindowGone() const;

    private:
        friend class TWorker;
        explicit News(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
        std::shared_ptr<Shared> shared_;
    };
    using Job = std::function<Task(const News& news)>;

    // message: what the worker posts to the window, which hands it to Deliver.
    explicit TWorker(UINT message) : message_(message) {}
    // The thread ends once the job at hand (if any) is done; what it sends is dropped.
    ~TWorker();
    TWorker(const TWorker&) = delete;
    TWorker& operator=(const TWorker&) = delete;

    // The window the news goes to; set once it exists.
    void Attach(HWND window) { window_ = window; }
    UINT Message() const { return message_; }
    // A job has been started whose last task has not run yet.
    bool Busy() const { return pending_ > 0; }

    // Starts the job once those before it are over; false when no thread can be made. A job
    // that mustFinish is waited for at the program's end (WaitForJobs).
    bool Start(Job job, bool mustFinish = false);

    // The window's handler of Message(): runs the news that has come, each job's last task
    // among them in order. An exception of a task goes to the general error handler; the tasks
    // after it still run.
    void Deliver();

    // The program's end, its windows gone: waits (at most timeoutMs) for the jobs that must finish.
    static void WaitForJobs(DWORD timeoutMs);

private:
    static DWORD WINAPI Run(void* shared);

    UINT message_;
    HWND window_ = nullptr;
    std::shared_ptr<Shared> shared_;  // made with the first job
    int pending_ = 0;                 // jobs started whose last task has not run
};

}  // namespace rondel
