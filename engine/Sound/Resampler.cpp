#include "Resampler.h"

#include <samplerate.h>

std::unique_ptr<Resampler> Resampler::create(double inputRate)
{
    if (!(inputRate > 0))
        return nullptr;
    const double ratio = targetRate / inputRate;
    int error = 0;
    SRC_STATE* state = src_is_valid_ratio(ratio) ? src_new(SRC_SINC_MEDIUM_QUALITY, 1, &error) : nullptr;
    if (!state)
        return nullptr;
    return std::unique_ptr<Resampler>(new Resampler(state, ratio));
}

Resampler::~Resampler()
{
    src_delete(state_);
}

std::optional<QString> Resampler::convert(std::span<const float> input, long capacity, bool endOfInput,
                                          std::vector<float>& output)
{
    output.resize(static_cast<size_t>(capacity));
    SRC_DATA data{};
    data.data_in = input.data();
    data.input_frames = static_cast<long>(input.size());
    data.data_out = output.data();
    data.output_frames = capacity;
    data.end_of_input = endOfInput ? 1 : 0;
    data.src_ratio = ratio_;
    if (const int error = src_process(state_, &data); error != 0) {
        output.clear();
        return QString::fromUtf8(src_strerror(error));
    }
    output.resize(static_cast<size_t>(data.output_frames_gen));
    return std::nullopt;
}
