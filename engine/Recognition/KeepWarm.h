#pragma once
// A repeating timer that now and then runs a short job (a decode of silence and a punctuation
// pass keep the models warm) and never lets two runs overlap: a tick that comes while the
// previous run is still going is dropped, not queued.

#include "Core/Clock.h"

#include <functional>
#include <memory>
#include <mutex>

class SerialQueue;

class KeepWarm {
public:
    // Asked on every tick, on the main thread: the unit of work to run, or an empty function
    // for nothing this time.
    using Job = std::function<std::function<void()>()>;

    // The work runs on the queue, which must outlive this object.
    KeepWarm(double interval, SerialQueue& queue, Job job, Clock& clock = Clock::system());
    // Cancels the timer. A unit of work under way still finishes, uncounted.
    ~KeepWarm();
    KeepWarm(const KeepWarm&) = delete;
    KeepWarm& operator=(const KeepWarm&) = delete;

    // Main thread. The first tick comes one interval from now. Nothing when already started.
    void start();
    // Main thread. Cancels the timer; start() can set a new one.
    void stop();

    double interval() const { return interval_; }
    // How late a tick may come, so the system can fold its wake-up in with others: a tenth of
    // the interval.
    Clock::Duration leeway() const;
    // Units of work completed.
    int runs() const;

private:
    struct Progress {
        std::mutex mutex;
        bool running = false;
        int completed = 0;
    };

    void scheduleNextTick();
    void tick();

    double interval_;
    SerialQueue& queue_;
    Job job_;
    Clock& clock_;
    // The timer is a chain of one-shot deadlines spaced exactly one interval apart, so ticks
    // don't drift however the leeway moves each one.
    std::shared_ptr<ScheduledWork> timer_;
    Clock::TimePoint nextDeadline_{};
    std::shared_ptr<Progress> progress_ = std::make_shared<Progress>();
};
