// The session's inner parts, shared by its two source files: what its jobs share, what a request
// remembers for its end, and the launching of a job with its apply step.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "catalogue/CatalogueMemory.h"
#include "catalogue/ServiceDetails.h"
#include "model/ServiceSession.h"

namespace rondel {

// The catalogue's memory, which the jobs of two lanes use, one at a time (under the lock). Made
// by the first job that reads: its watch of the services' key asks the registry.
struct ServiceSession::Memory {
    explicit Memory(platform::Platform machine) : system(machine) {}
    CatalogueMemory& Get() {
        if (!memory) memory.emplace(system);
        return *memory;
    }
    std::mutex lock;
    platform::Platform system;
    std::optional<CatalogueMemory> memory;
};

// What a request's end does once its lists are read, unless the person chose otherwise
// meanwhile: the command's target tab with the service selected there, or (no command) the
// service selected again wherever it is now.
struct ServiceSession::AfterRequest {
    std::optional<ServiceCommand> command;
    std::string serviceName;
    uint64_t inputs = 0;
};

// A command chosen in the list's menu while a request was under way.
struct ServiceSession::Deferred {
    std::string what;         // the menu's word for it ("停止")
    std::string serviceName;  // the service it was chosen for; empty for none
    std::function<bool()> run;
};

// The key's part of the details, told before the manager's status.
struct DetailsPart {
    ServiceDetailsShown details;
    std::string readError;
};

// "「停止」を行いませんでした。…": a command of the menu whose time passed.
std::string NotCarriedOutText(const std::string& what, const std::string& serviceName);

template <typename Result>
bool ServiceSession::Launch(Lane lane, Job<Result> job, std::function<void(Result&)> apply, bool mustFinish) {
    auto result = std::make_shared<std::optional<Result>>();
    Work work;
    work.job = [result, job = std::move(job)](const JobContext& context) { result->emplace(job(context)); };
    work.apply = [this, lane, result, apply = std::move(apply)](std::exception_ptr error) {
        --running_[static_cast<int>(lane)];
        if (error) return Failed(lane, error);
        apply(**result);
    };
    work.mustFinish = mustFinish;
    return Run(lane, std::move(work));
}

template <typename Result, typename Partial>
bool ServiceSession::Launch(Lane lane,
                            std::function<Result(const JobContext&, const std::function<void(Partial)>&)> job,
                            std::function<void(Partial&)> onPartial, std::function<void(Result&)> apply,
                            bool mustFinish) {
    // The job only posts the part; the apply step runs on this thread.
    auto partial = std::make_shared<std::function<void(Partial&)>>(std::move(onPartial));
    return Launch<Result>(
        lane,
        [partial, job = std::move(job)](const JobContext& context) {
            const std::function<void(Partial)> tell = [&context, partial](Partial part) {
                context.Post([partial, part]() mutable { (*partial)(part); });
            };
            return job(context, tell);
        },
        std::move(apply), mustFinish);
}

}  // namespace rondel
