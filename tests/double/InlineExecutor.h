// The session's jobs run at once, on the test's thread; what they give back is held until the
// test delivers it, so that a test can change things between a job's reading and the arrival of
// its result, as a person does while a worker reads.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/Executor.h"

namespace rondel::fake {

class InlineExecutor final : public IExecutor {
public:
    bool Run(Lane lane, Work work, uint32_t& error) override {
        if (refuseWith != 0) {
            error = refuseWith;
            return false;
        }
        ran.push_back(lane);
        if (work.mustFinish) mustFinish.push_back(ran.size() - 1);
        const Context context(*this, lane);
        std::exception_ptr thrown;
        try {
            work.job(context);
        } catch (...) {
            thrown = std::current_exception();
        }
        held_.emplace_back(lane, [apply = std::move(work.apply), thrown] { apply(thrown); });
        return true;
    }

    // Applies what the jobs gave back, one at a time in order (of one lane's jobs only, as when
    // another lane's worker takes longer); what that starts is held in turn. How many were applied.
    int DeliverOne(std::optional<Lane> lane = std::nullopt) {
        const auto next =
            std::find_if(held_.begin(), held_.end(), [&](const auto& held) { return !lane || held.first == *lane; });
        if (next == held_.end()) return 0;
        const std::function<void()> apply = std::move(next->second);
        held_.erase(next);
        apply();
        return 1;
    }
    // Until nothing is held any more.
    void Settle() {
        while (DeliverOne() != 0) {
        }
    }
    bool Holding() const { return !held_.empty(); }

    bool abandoned = false;              // the view has gone
    uint32_t refuseWith = 0;             // no lane can start
    std::vector<Lane> ran;               // the lanes of the jobs run
    std::vector<std::size_t> mustFinish;  // which of them the program's end waits for
    std::vector<std::string> toldAlone;  // what jobs said without a window

private:
    class Context final : public JobContext {
    public:
        Context(InlineExecutor& executor, Lane lane) : executor_(executor), lane_(lane) {}
        void Post(std::function<void()> task) const override {
            if (!executor_.abandoned) executor_.held_.emplace_back(lane_, std::move(task));
        }
        bool Abandoned() const override { return executor_.abandoned; }
        void ReportAlone(const std::string& text) const override { executor_.toldAlone.push_back(text); }

    private:
        InlineExecutor& executor_;
        Lane lane_;
    };

    std::deque<std::pair<Lane, std::function<void()>>> held_;
};

}  // namespace rondel::fake
