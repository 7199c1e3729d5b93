#pragma once
// A clock that only moves when the test says so. Scheduled work runs inside advance(), on the
// calling thread, in the order it falls due.

#include "Core/Clock.h"

#include <map>
#include <mutex>

class ManualClock final : public Clock {
public:
    TimePoint now() const override;
    // Runs the work exactly when due, whatever its leeway.
    std::shared_ptr<ScheduledWork> schedule(Duration delay, std::function<void()> work,
                                            Duration leeway = Duration::zero()) override;

    void advance(Duration duration);
    // Scheduled work not yet run or cancelled.
    int pendingCount() const;
    // The leeway of the next work due that is not cancelled; zero when there is none.
    Duration nextLeeway() const;

private:
    struct Entry;
    using Key = std::pair<TimePoint, unsigned long long>;

    mutable std::mutex mutex_;
    TimePoint now_{std::chrono::hours(1)};
    unsigned long long sequence_ = 0;
    std::map<Key, std::shared_ptr<Entry>> pending_;
};
