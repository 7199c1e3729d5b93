#pragma once
// The speech library counts samples in a 32-bit signed integer, so a longer buffer goes over in
// pieces of at most 2,147,483,647 samples.

#include <cstdint>
#include <limits>
#include <span>

template <class Feed>
void forEachInt32Piece(std::span<const float> samples, Feed&& feed)
{
    constexpr size_t largest = std::numeric_limits<int32_t>::max();
    while (!samples.empty()) {
        const size_t count = samples.size() < largest ? samples.size() : largest;
        feed(samples.data(), static_cast<int32_t>(count));
        samples = samples.subspan(count);
    }
}
