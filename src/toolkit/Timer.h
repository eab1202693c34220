// A message-driven timer on its owner's window: WM_TIMER arrives through the owner's message
// loop, so OnTimer runs on the user-interface thread between other messages.
#pragma once

#include <windows.h>

#include <functional>

namespace rondel {

class TWinControl;

class TTimer {
public:
    // Disabled, 1000 ms. Goes when its owner's window goes; must not outlive the owner object.
    explicit TTimer(TWinControl& owner);
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;
    ~TTimer();

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);

    std::function<void()> OnTimer;

private:
    friend class TWinControl;
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
    // Starts or stops the system timer to match Enabled and Interval.
    void Update();
    void Fire();

    TWinControl& owner_;
    bool enabled_ = false;
    unsigned interval_ = 1000;
    bool running_ = false;
};

}  // namespace rondel
