#include "RetryPause.h"

#include <thread>

void pauseUnlessCancelled(std::chrono::milliseconds duration, const std::function<bool()>& cancelled)
{
    constexpr std::chrono::milliseconds slice(250);
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!cancelled()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, slice));
    }
}
