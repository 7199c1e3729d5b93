#pragma once
// The pause between two tries of a download. Injected so tests of six attempts take no time;
// the real one wakes every quarter of a second to see whether the caller asked to stop.

#include <chrono>
#include <functional>

// Waits up to `duration`, returning early once `cancelled` says true.
using RetryPause = std::function<void(std::chrono::milliseconds duration, const std::function<bool()>& cancelled)>;

void pauseUnlessCancelled(std::chrono::milliseconds duration, const std::function<bool()>& cancelled);
