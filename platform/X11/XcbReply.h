#pragma once
// A reply from the X server, freed with the C library's free() as xcb asks.

#include <cstdlib>
#include <memory>

template <typename T>
struct XcbReplyFree {
    void operator()(T* reply) const { std::free(reply); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbReplyFree<T>>;
