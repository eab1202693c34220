// Where the session's jobs run. A job works with the machine and with copies of what it needs,
// never with the session or its view, and leaves its result where its apply step finds it; the
// apply step then runs on the session's thread, after whatever the job posted before it ended.
// The program runs jobs on the window's worker threads, one lane a thread; the tests run them
// inline and apply their results when they say.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace rondel {

enum class Lane {
    Request,  // the user's requests, one at a time
    Details,  // what the panel shows of the selected service
    Watch,    // the live list's rounds
};
inline constexpr int kLaneCount = 3;

// What a running job may ask of the executor.
class JobContext {
public:
    virtual ~JobContext() = default;
    // Runs task on the session's thread, in the order posted; dropped once the view has gone.
    virtual void Post(std::function<void()> task) const = 0;
    // The view has gone: the result will never be applied.
    virtual bool Abandoned() const = 0;
    // Tells the user, without a window, what a job that outlived its window must still say.
    virtual void ReportAlone(const std::string& text) const = 0;
};

struct Work {
    std::function<void(const JobContext&)> job;
    // Runs on the session's thread once the job is over: with the job's exception when it threw.
    std::function<void(std::exception_ptr)> apply;
    // The program waits for the job at its end (a restart, a save).
    bool mustFinish = false;
};

class IExecutor {
public:
    virtual ~IExecutor() = default;
    // Starts the work on the lane, after the lane's earlier work. False, with the system's error,
    // when it cannot be started.
    virtual bool Run(Lane lane, Work work, uint32_t& error) = 0;
};

}  // namespace rondel
