#pragma once
// Tells when a model source has gone too long without useful progress, and for how long. A host
// that trickles a byte now and then stays within every network bound for minutes, so bytes count
// as progress only once enough of them have come. Not thread-safe: the owner serialises calls.

#include "Core/Clock.h"

#include <QtGlobal>

#include <chrono>
#include <optional>

class SlowSourceWatch {
public:
    // A healthy transfer brings data many times a second and rides out a lost packet or two
    // within a couple of seconds; five seconds without useful progress is past any such hiccup
    // and still tells the user within seconds.
    static constexpr Clock::Duration slowAfter = std::chrono::seconds(5);
    // Less than this in five seconds (about 3 KB/s) would take a day for a speech model.
    static constexpr qint64 usefulBytes = 16 * 1024;

    explicit SlowSourceWatch(Clock& clock) : clock_(clock) {}

    // Waiting on the source from now on.
    void begin();
    // Bytes the source has just delivered.
    void received(qint64 bytes);
    // No longer waiting on the source.
    void end();

    // The whole seconds since the source's last useful progress, once that is at least
    // `slowAfter`; nothing while data flows or nothing is awaited.
    std::optional<int> slowSeconds() const;

private:
    Clock& clock_;
    std::optional<Clock::TimePoint> lastUseful_;  // set while waiting on the source
    qint64 sinceLastUseful_ = 0;
};
