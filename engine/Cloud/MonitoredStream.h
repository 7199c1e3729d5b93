#pragma once
// A stream that can say whether its server has acknowledged it and whether it has failed, so a
// failover stream can watch it.

#include "Cloud/CloudError.h"
#include "Recognition/SpeechEngine.h"

#include <optional>

class MonitoredStream : public SpeechStream {
public:
    virtual bool isReady() = 0;
    // The first error that ended the stream; absent while it is healthy.
    virtual std::optional<CloudError> failure() = 0;
};
