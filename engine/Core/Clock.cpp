#include "Clock.h"

#include "MainThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>

namespace {

class TimerWork final : public ScheduledWork {
public:
    void cancel() override { cancelled = true; }
    std::atomic<bool> cancelled{false};
};

class SystemClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }

    std::shared_ptr<ScheduledWork> schedule(Duration delay, std::function<void()> work) override
    {
        auto handle = std::make_shared<TimerWork>();
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
        // Timers belong to the main thread, so the timer is made there whoever schedules.
        runOnMainThread([handle, milliseconds, work = std::move(work)]() mutable {
            QTimer::singleShot(milliseconds, Qt::PreciseTimer, QCoreApplication::instance(),
                               [handle, work = std::move(work)] {
                                   if (!handle->cancelled)
                                       work();
                               });
        });
        return handle;
    }
};

}

Clock& Clock::system()
{
    static SystemClock clock;
    return clock;
}
