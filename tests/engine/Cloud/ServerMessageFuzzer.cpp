// Feeds arbitrary bytes to the decoders of what the speech server sends: they must never crash,
// hang or misread the sample count.

#include "Cloud/CloudProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto message = CloudProtocol::ServerMessage::decode(bytes))
        (void)message->encode();
    if (const auto samples = CloudProtocol::decode(bytes); samples && samples->size() * 2 != size)
        std::abort();
    return 0;
}
