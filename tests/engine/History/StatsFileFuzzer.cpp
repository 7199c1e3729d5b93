// Any bytes in "stats.json" either decode or are refused; what decodes survives a round trip.

#include "History/UsageStats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto days = UsageStats::decodeFile(bytes);
    if (!days)
        return 0;
    const auto encoded = UsageStats::encodeFile(*days);
    if (!encoded || UsageStats::decodeFile(*encoded) != days)
        __builtin_trap();
    return 0;
}
