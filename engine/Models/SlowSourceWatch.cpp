#include "SlowSourceWatch.h"

void SlowSourceWatch::begin()
{
    lastUseful_ = clock_.now();
    sinceLastUseful_ = 0;
}

void SlowSourceWatch::received(qint64 bytes)
{
    if (!lastUseful_)
        return;
    sinceLastUseful_ += bytes;
    if (sinceLastUseful_ < usefulBytes)
        return;
    lastUseful_ = clock_.now();
    sinceLastUseful_ = 0;
}

void SlowSourceWatch::end()
{
    lastUseful_.reset();
}

std::optional<int> SlowSourceWatch::slowSeconds() const
{
    if (!lastUseful_)
        return std::nullopt;
    const Clock::Duration waited = clock_.now() - *lastUseful_;
    if (waited < slowAfter)
        return std::nullopt;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(waited).count());
}
