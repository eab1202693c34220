#include "toolkit/Timer.h"

#include <algorithm>

#include "toolkit/WinControl.h"

namespace rondel {

TTimer::TTimer(TWinControl& owner) : owner_(owner) { owner_.timers_.push_back(this); }

TTimer::~TTimer() {
    if (running_ && owner_.HandleAllocated()) ::KillTimer(owner_.Handle(), Id());
    auto& timers = owner_.timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (interval_ == milliseconds) return;
    interval_ = milliseconds;
    Update();
}

void TTimer::Update() {
    if (!owner_.HandleAllocated()) {
        running_ = false;  // a destroyed window took its timers with it
        return;
    }
    if (running_) ::KillTimer(owner_.Handle(), Id());
    running_ = enabled_ && interval_ > 0 && ::SetTimer(owner_.Handle(), Id(), interval_, nullptr) != 0;
}

void TTimer::Fire() {
    if (enabled_ && OnTimer) OnTimer();
}

}  // namespace rondel
