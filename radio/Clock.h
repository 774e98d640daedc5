#pragma once
// Time as the link's timers see it: the system's monotonic clock and Qt timers in the programs,
// a clock moved by hand where every step of a transfer must be seen to the millisecond.
#include <QtGlobal>

#include <functional>
#include <memory>

namespace qarlo {

// A single-shot timer on a Clock.
class LinkTimer {
public:
    virtual ~LinkTimer() = default;
    virtual void start(int ms) = 0; // (re)starts: runs out `ms` from now
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed point; never goes back.
    virtual qint64 nowMs() const = 0;
    // A stopped timer that calls `onTimeout` when it runs out; it must not outlive the clock.
    virtual std::unique_ptr<LinkTimer> makeTimer(std::function<void()> onTimeout) = 0;
    // The steady clock, timers on the calling thread's event loop.
    static Clock& system();
};

} // namespace qarlo
