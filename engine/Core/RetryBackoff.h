#pragma once
// When a failed try is made again: a second after the first failure, twice as long after each
// failure in a row, up to a minute; one try waits at a time. A try that goes through starts over.

#include <chrono>
#include <optional>

class RetryBackoff {
public:
    using Duration = std::chrono::steady_clock::duration;
    static constexpr Duration first = std::chrono::seconds(1);
    static constexpr Duration longest = std::chrono::seconds(60);

    // True while a try waits for its time.
    bool waiting() const { return waiting_; }
    // A try failed: how long the next one waits, or nothing when one already waits.
    std::optional<Duration> failed();
    // The waiting try is made now.
    void due() { waiting_ = false; }
    // A try went through: the next failure waits the first time again.
    void succeeded() { wait_ = {}; }

private:
    Duration wait_{};
    bool waiting_ = false;
};
