#include "KeepWarm.h"

#include "Core/SerialQueue.h"

#include <algorithm>

KeepWarm::KeepWarm(double interval, SerialQueue& queue, Job job, Clock& clock)
    : interval_(interval), queue_(queue), job_(std::move(job)), clock_(clock)
{
}

KeepWarm::~KeepWarm()
{
    stop();
}

void KeepWarm::start()
{
    if (timer_)
        return;
    nextDeadline_ = clock_.now();
    scheduleNextTick();
}

void KeepWarm::stop()
{
    if (timer_)
        timer_->cancel();
    timer_.reset();
}

Clock::Duration KeepWarm::leeway() const
{
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(interval_ / 10));
}

int KeepWarm::runs() const
{
    std::lock_guard lock(progress_->mutex);
    return progress_->completed;
}

void KeepWarm::scheduleNextTick()
{
    nextDeadline_ += std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(interval_));
    const Clock::Duration delay = std::max(nextDeadline_ - clock_.now(), Clock::Duration::zero());
    // Cancelled by stop() and the destructor, both on the main thread where the tick runs, so
    // `this` is alive whenever the tick does run.
    timer_ = clock_.schedule(
        delay,
        [this] {
            scheduleNextTick();
            tick();
        },
        leeway());
}

void KeepWarm::tick()
{
    {
        std::lock_guard lock(progress_->mutex);
        if (progress_->running)
            return;
    }
    std::function<void()> work = job_ ? job_() : nullptr;
    if (!work)
        return;
    {
        std::lock_guard lock(progress_->mutex);
        if (progress_->running)
            return;
        progress_->running = true;
    }
    std::weak_ptr<Progress> progress = progress_;
    queue_.async([progress, work = std::move(work)] {
        work();
        if (const auto alive = progress.lock()) {
            std::lock_guard lock(alive->mutex);
            alive->running = false;
            ++alive->completed;
        }
    });
}
