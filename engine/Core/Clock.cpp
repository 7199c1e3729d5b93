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

    std::shared_ptr<ScheduledWork> schedule(Duration delay, std::function<void()> work,
                                            Duration leeway = Duration::zero()) override
    {
        auto handle = std::make_shared<TimerWork>();
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
        // Qt's coarse timer moves a wake-up by up to a twentieth of its delay.
        const Qt::TimerType type =
            leeway * 20 >= delay && delay > Duration::zero() ? Qt::CoarseTimer : Qt::PreciseTimer;
        // Timers belong to the main thread, so the timer is made there whoever schedules.
        runOnMainThread([handle, milliseconds, type, work = std::move(work)]() mutable {
            QTimer::singleShot(milliseconds, type, QCoreApplication::instance(), [handle, work = std::move(work)] {
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
