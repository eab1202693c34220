// A window's worker: one job at a time on a thread of its own, so that the window's thread
// never waits on another process.
//
// A job works on copies and on the machine, never on the window. It gives back a task, which
// the window runs on its own thread, from its message loop, once the job is over; while it
// runs it may send news (tasks too), which arrive in the order sent. When the window goes
// before the job ends, the job runs to its end alone and what it sends is dropped.
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
    // A job has been started and its last task has not run yet.
    bool Busy() const { return busy_; }

    // Starts the job, unless one is under way or no thread can be made (false then). A job that
    // mustFinish is waited for at the program's end (WaitForJobs).
    bool Start(Job job, bool mustFinish = false);

    // The window's handler of Message(): runs the news that has come, and, once the job is
    // over, its last task, after which the worker is free again. An exception of a task goes
    // to the general error handler; the tasks after it still run.
    void Deliver();

    // Waits at most timeoutMs for the job to end; when it does, delivers at once what it sent
    // (true then, or when no job runs). For a job that almost always answers at once: the
    // window waits that little, and shows a late answer when it comes.
    bool AwaitBriefly(DWORD timeoutMs);

    // The program's end, its windows gone: waits (at most timeoutMs) for the jobs that must finish.
    static void WaitForJobs(DWORD timeoutMs);

private:
    static DWORD WINAPI Run(void* shared);

    UINT message_;
    HWND window_ = nullptr;
    std::shared_ptr<Shared> shared_;  // made with the first job
    bool busy_ = false;
};

}  // namespace rondel
