#include "FailureOf.h"
#include "Sound/AudioFile.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace {

// Writes interleaved float samples in the given format; libsndfile converts them on the way.
QString writeAudio(const QTemporaryDir& dir, int format, int rate, int channels, const std::vector<float>& interleaved)
{
    const QString path = dir.filePath(QStringLiteral("%1-%2.wav").arg(rate).arg(channels));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    const auto frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    EXPECT_EQ(sf_writef_float(file, interleaved.data(), frames), frames);
    sf_close(file);
    return path;
}

std::vector<float> tone(double frequency, int rate, int frames, int channels, float amplitude)
{
    std::vector<float> samples;
    for (int frame = 0; frame < frames; ++frame) {
        const auto value = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * frame / rate));
        samples.insert(samples.end(), static_cast<size_t>(channels), value);
    }
    return samples;
}

}

TEST(AudioFile, Converts48kStereo16BitTo16kMono)
{
    QTemporaryDir dir;
    const std::vector<float> samples =
        AudioFile::load16kMono(writeAudio(dir, SF_FORMAT_PCM_16, 48000, 2, tone(440, 48000, 96000, 2, 0.5f)));
    EXPECT_NEAR(static_cast<double>(samples.size()), 32000, 40) << "two seconds at 16 kHz";
    int upwardCrossings = 0;
    float peak = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        upwardCrossings += samples[i - 1] < 0 && samples[i] >= 0;
        if (i >= 1000 && i < 31000)
            peak = std::max(peak, std::abs(samples[i]));
    }
    EXPECT_NEAR(upwardCrossings, 880, 2) << "the tone keeps its pitch";
    EXPECT_NEAR(peak, 0.5f, 0.01f) << "both channels mixed, level kept";
}

TEST(AudioFile, Returns16kMonoFloatFilesUnchangedAndEmptyFilesAsNoSamples)
{
    QTemporaryDir dir;
    std::vector<float> written = tone(300, 16000, 16000, 1, 0.25f);
    written[5] = 0.123456789f;  // exact float values survive only without conversion
    EXPECT_EQ(AudioFile::load16kMono(writeAudio(dir, SF_FORMAT_FLOAT, 16000, 1, written)), written);
    EXPECT_TRUE(AudioFile::load16kMono(writeAudio(dir, SF_FORMAT_FLOAT, 16000, 1, {})).empty());
    EXPECT_TRUE(AudioFile::load16kMono(writeAudio(dir, SF_FORMAT_PCM_16, 44100, 2, {})).empty());
}

TEST(AudioFile, AMissingOrMeaninglessFileIsUnreadable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.wav"));
    try {
        AudioFile::load16kMono(path);
        ADD_FAILURE() << "read a missing file";
    } catch (const AudioFileError& error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("could not read audio: ")));
        EXPECT_FALSE(error.reason().isEmpty());
    }
    for (const char* content : {"", "this is not audio at all, just words in a file"}) {
        writeFile(path, content);
        EXPECT_EQ(failureOf<AudioFileError>([&] { AudioFile::load16kMono(path); }), AudioFileError::Kind::unreadable)
            << content;
    }
}
