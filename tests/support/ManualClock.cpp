#include "ManualClock.h"

#include <atomic>

struct ManualClock::Entry final : ScheduledWork {
    std::function<void()> work;
    Duration leeway;
    std::atomic<bool> cancelled{false};
    void cancel() override { cancelled = true; }
};

Clock::TimePoint ManualClock::now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

std::shared_ptr<ScheduledWork> ManualClock::schedule(Duration delay, std::function<void()> work, Duration leeway)
{
    auto entry = std::make_shared<Entry>();
    entry->work = std::move(work);
    entry->leeway = leeway;
    std::lock_guard lock(mutex_);
    pending_.emplace(Key{now_ + delay, sequence_++}, entry);
    return entry;
}

void ManualClock::advance(Duration duration)
{
    std::unique_lock lock(mutex_);
    const TimePoint target = now_ + duration;
    while (!pending_.empty() && pending_.begin()->first.first <= target) {
        auto due = pending_.begin();
        now_ = due->first.first;
        auto entry = due->second;
        pending_.erase(due);
        lock.unlock();
        if (!entry->cancelled)
            entry->work();
        lock.lock();
    }
    now_ = target;
}

int ManualClock::pendingCount() const
{
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const auto& [key, entry] : pending_)
        count += entry->cancelled ? 0 : 1;
    return count;
}

Clock::Duration ManualClock::nextLeeway() const
{
    std::lock_guard lock(mutex_);
    for (const auto& [key, entry] : pending_) {
        if (!entry->cancelled)
            return entry->leeway;
    }
    return Duration::zero();
}
