#include "AudioFile.h"

#include "Resampler.h"

#include <QFile>

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

}

std::vector<float> AudioFile::load16kMono(const QString& path)
{
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(QFile::encodeName(path).constData(), SFM_READ, &info));
    if (!file)
        throw AudioFileError::unreadable(QString::fromUtf8(sf_strerror(nullptr)));
    if (info.channels < 1 || info.samplerate < 1)
        throw AudioFileError::unreadable(QStringLiteral("bad format"));
    // One buffer holds the whole file, and a buffer counts its frames in 32 bits.
    if (info.frames > static_cast<sf_count_t>(UINT32_MAX))
        throw AudioFileError::unreadable(QStringLiteral("file too long"));

    const auto channels = static_cast<size_t>(info.channels);
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * channels);
    const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), info.frames);
    if (read < info.frames && sf_error(file.get()) != SF_ERR_NO_ERROR)
        throw AudioFileError::unreadable(QString::fromUtf8(sf_strerror(file.get())));

    const auto frames = static_cast<size_t>(std::max<sf_count_t>(read, 0));
    std::vector<float> mono(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        float sum = 0;
        for (size_t channel = 0; channel < channels; ++channel)
            sum += interleaved[frame * channels + channel];
        mono[frame] = sum / static_cast<float>(channels);
    }
    if (info.samplerate == static_cast<int>(Resampler::targetRate) && channels == 1)
        return mono;

    auto resampler = Resampler::create(info.samplerate);
    if (!resampler)
        throw AudioFileError::unreadable(QStringLiteral("no converter"));
    const auto capacity = static_cast<long>(std::floor(static_cast<double>(frames) * resampler->ratio())) + 1024;
    std::vector<float> output;
    if (auto error = resampler->convert(mono, capacity, true, output))
        throw AudioFileError::unreadable(*error);
    return output;
}
