#pragma once
// The time source of every timing rule (tap length, double-tap window, retry pauses, keep-warm),
// injected so tests can move time by hand instead of sleeping.

#include <chrono>
#include <functional>
#include <memory>

class ScheduledWork {
public:
    virtual ~ScheduledWork() = default;
    virtual void cancel() = 0;
};

class Clock {
public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;
    // Runs the work on the main thread once the delay has passed, unless cancelled first. A
    // leeway lets the system fold the wake-up in with others: the real clock then runs the work
    // on Qt's coarse timer, within 5% of the delay either way, once the leeway allows that much.
    virtual std::shared_ptr<ScheduledWork> schedule(Duration delay, std::function<void()> work,
                                                    Duration leeway = Duration::zero()) = 0;

    // The real clock; its scheduled work runs on the main thread's event loop.
    static Clock& system();
};

inline double seconds(Clock::Duration duration)
{
    return std::chrono::duration<double>(duration).count();
}
