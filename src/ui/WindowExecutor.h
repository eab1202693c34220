// The session's jobs on the window's workers: a worker thread for each lane (or one for all,
// for a machine that answers one thread at a time), their results delivered through the
// window's messages.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "model/Executor.h"
#include "toolkit/Worker.h"

namespace rondel {

class WindowExecutor final : public IExecutor {
public:
    // firstMessage: the first of the kLaneCount messages the workers post to the window.
    WindowExecutor(UINT firstMessage, bool oneThread);
    void Attach(HWND window);
    // The window's handler of the workers' messages: true when it was one of theirs.
    bool Deliver(UINT message);

    bool Run(Lane lane, Work work, uint32_t& error) override;

private:
    TWorker& WorkerOf(Lane lane);
    std::array<std::unique_ptr<TWorker>, kLaneCount> workers_;
    bool oneThread_;
};

}  // namespace rondel
