#include "ui/WindowExecutor.h"

namespace rondel {

namespace {

// A job's way back to the window, through its worker.
class NewsContext final : public JobContext {
public:
    explicit NewsContext(const TWorker::News& news) : news_(news) {}
    void Post(std::function<void()> task) const override { news_.Post(std::move(task)); }
    bool Abandoned() const override { return news_.WindowGone(); }
    void ReportAlone(const std::string& text) const override {
        ::MessageBoxA(nullptr, text.c_str(), "エラー", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }

private:
    const TWorker::News& news_;
};

}  // namespace

WindowExecutor::WindowExecutor(UINT firstMessage, bool oneThread) : oneThread_(oneThread) {
    for (int lane = 0; lane < kLaneCount; ++lane)
        workers_[static_cast<std::size_t>(lane)] = std::make_unique<TWorker>(firstMessage + static_cast<UINT>(lane));
}

void WindowExecutor::Attach(HWND window) {
    for (const auto& worker : workers_) worker->Attach(window);
}

bool WindowExecutor::Deliver(UINT message) {
    for (const auto& worker : workers_) {
        if (message != worker->Message()) continue;
        worker->Deliver();
        return true;
    }
    return false;
}

TWorker& WindowExecutor::WorkerOf(Lane lane) {
    return *workers_[oneThread_ ? 0 : static_cast<std::size_t>(lane)];
}

bool WindowExecutor::Run(Lane lane, Work work, uint32_t& error) {
    const bool started = WorkerOf(lane).Start(
        [work](const TWorker::News& news) -> TWorker::Task {
            const NewsContext context(news);
            std::exception_ptr thrown;
            try {
                work.job(context);
            } catch (...) {
                thrown = std::current_exception();
            }
            return [apply = work.apply, thrown] { apply(thrown); };
        },
        work.mustFinish);
    if (!started) error = ::GetLastError();
    return started;
}

}  // namespace rondel
