#pragma once
// Converts mono float audio from one sample rate to 16,000 Hz. One resampler serves a whole
// recording, so the filter state carries over from block to block and no seams appear.

#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <vector>

struct SRC_STATE_tag;

class Resampler {
public:
    static constexpr double targetRate = 16000.0;

    // Nothing when no converter from that rate can be made.
    static std::unique_ptr<Resampler> create(double inputRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    double ratio() const { return ratio_; }

    // Converts one block into at most `capacity` samples; endOfInput flushes the filter.
    // Returns the converter's error text on failure (the output is then empty).
    std::optional<QString> convert(std::span<const float> input, long capacity, bool endOfInput,
                                   std::vector<float>& output);

private:
    Resampler(SRC_STATE_tag* state, double ratio) : state_(state), ratio_(ratio) {}

    SRC_STATE_tag* state_;
    double ratio_;
};
