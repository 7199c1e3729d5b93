#pragma once
// The process's physical memory footprint, for the log.

#include <cstdint>

namespace ProcessStats {
// Resident plus swapped-out memory in bytes, from /proc/self/status; 0 when it can't be read.
uint64_t footprintBytes();
}
