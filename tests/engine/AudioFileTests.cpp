#include "AudioFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace {

// Writes interleaved float samples in the given format; libsndfile converts them on the way.
void writeFile(const QString& path, int format, int rate, int channels, const std::vector<float>& interleaved)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    ASSERT_EQ(sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(interleaved.size()) / channels),
              static_cast<sf_count_t>(interleaved.size()) / channels);
    sf_close(file);
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

int upwardZeroCrossings(const std::vector<float>& samples)
{
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        crossings += samples[i - 1] < 0 && samples[i] >= 0;
    return crossings;
}

float peakOf(const std::vector<float>& samples, size_t from, size_t to)
{
    float peak = 0;
    for (size_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(samples[i]));
    return peak;
}

void expectUnreadable(const QString& path)
{
    try {
        AudioFile::load16kMono(path);
        ADD_FAILURE() << "expected an unreadable file: " << path.toStdString();
    } catch (const AudioFileError& error) {
        EXPECT_EQ(error.kind(), AudioFileError::Kind::unreadable);
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("could not read audio: ")));
        EXPECT_FALSE(error.reason().isEmpty());
    }
}

}

TEST(AudioFile, Converts48kStereo16BitTo16kMono)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stereo.wav"));
    writeFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2, tone(440, 48000, 96000, 2, 0.5f));

    const std::vector<float> samples = AudioFile::load16kMono(path);
    EXPECT_NEAR(static_cast<double>(samples.size()), 32000, 40) << "two seconds at 16 kHz";
    EXPECT_NEAR(upwardZeroCrossings(samples), 880, 2) << "the tone keeps its pitch";
    EXPECT_NEAR(peakOf(samples, 1000, 31000), 0.5f, 0.01f) << "both channels mixed, level kept";
}

TEST(AudioFile, Returns16kMonoFloatFilesUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mono.wav"));
    std::vector<float> written = tone(300, 16000, 16000, 1, 0.25f);
    written[5] = 0.123456789f;  // exact float values survive only without conversion
    writeFile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, 1, written);
    EXPECT_EQ(AudioFile::load16kMono(path), written);
}

TEST(AudioFile, AFileWithoutFramesGivesNoSamples)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("empty-16k.wav"));
    writeFile(target, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, 1, {});
    EXPECT_TRUE(AudioFile::load16kMono(target).empty());

    const QString other = dir.filePath(QStringLiteral("empty-44k.wav"));
    writeFile(other, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, {});
    EXPECT_TRUE(AudioFile::load16kMono(other).empty());
}

TEST(AudioFile, AMissingOrMeaninglessFileIsUnreadable)
{
    QTemporaryDir dir;
    expectUnreadable(dir.filePath(QStringLiteral("missing.wav")));

    const QString zeroBytes = dir.filePath(QStringLiteral("zero.wav"));
    QFile(zeroBytes).open(QIODevice::WriteOnly);
    expectUnreadable(zeroBytes);

    const QString text = dir.filePath(QStringLiteral("notes.wav"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not audio at all, just words in a file");
    file.close();
    expectUnreadable(text);
}
