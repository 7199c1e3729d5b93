#pragma once
// A clock that only moves when the test says so. Scheduled work runs inside advance(), on the
// calling thread, in the order it falls due.

#include "Core/Clock.h"

#include <map>
#include <mutex>

class ManualClock final : public Clock {
public:
    TimePoint now() const override;
    std::shared_ptr<ScheduledWork> schedule(Duration delay, std::function<void()> work) override;

    void advance(Duration duration);
    // Scheduled work not yet run or cancelled.
    int pendingCount() const;

private:
    struct Entry;
    using Key = std::pair<TimePoint, unsigned long long>;

    mutable std::mutex mutex_;
    TimePoint now_{std::chrono::hours(1)};
    unsigned long long sequence_ = 0;
    std::map<Key, std::shared_ptr<Entry>> pending_;
};
