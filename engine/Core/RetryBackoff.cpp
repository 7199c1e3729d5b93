#include "RetryBackoff.h"

#include <algorithm>

std::optional<RetryBackoff::Duration> RetryBackoff::failed()
{
    if (waiting_)
        return std::nullopt;
    waiting_ = true;
    wait_ = wait_ == Duration::zero() ? first : std::min(wait_ * 2, longest);
    return wait_;
}
