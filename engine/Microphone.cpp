#include "Microphone.h"

#include "AudioFile.h"
#include "Resampler.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>

#include <cmath>

namespace {

// The tap size the conversion works in: about 21 ms at 48 kHz.
constexpr int framesPerBlock = 1024;
// Output room beyond the block's exact share, for the filter's rounding.
constexpr long spareFrames = 64;

QString describe(const QAudioFormat& format)
{
    static const char* const names[] = {"unknown", "8-bit unsigned", "16-bit integer", "32-bit integer",
                                        "32-bit float"};
    const int index = static_cast<int>(format.sampleFormat());
    const char* name = index >= 0 && index < 5 ? names[index] : names[0];
    return QStringLiteral("%1 Hz, %2 ch, %3")
        .arg(format.sampleRate())
        .arg(format.channelCount())
        .arg(QLatin1String(name));
}

QString describe(QAudio::Error error)
{
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("the audio input could not be opened");
    case QAudio::IOError:
        return QStringLiteral("the audio input failed to read");
    case QAudio::UnderrunError:
        return QStringLiteral("the audio input ran dry");
    case QAudio::FatalError:
        return QStringLiteral("the audio input failed");
    case QAudio::NoError:
        break;
    }
    return QStringLiteral("the audio input stopped");
}

}

// Receives the input's bytes on the audio thread (Qt writes into it) and converts them.
class Microphone::Capture final : public QIODevice {
public:
    Capture(QAudioDevice device, QAudioFormat format, std::unique_ptr<Resampler> resampler,
            AudioSource::Callback onAudio)
        : device_(std::move(device)), format_(format), resampler_(std::move(resampler)), onAudio_(std::move(onAudio))
    {
    }

    // On the audio thread. Returns the input's error, or nothing when it runs.
    std::optional<QString> startInput()
    {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        input_ = new QAudioSource(device_, format_, this);
        input_->start(this);
        if (input_->error() != QAudio::NoError || input_->state() == QAudio::StoppedState)
            return describe(input_->error());
        return std::nullopt;
    }

    // On the audio thread; no byte is delivered after it.
    void stopInput()
    {
        if (input_)
            input_->stop();
        delete input_;
        input_ = nullptr;
        QIODevice::close();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 length) override
    {
        // Qt hands over whole frames in practice; a split frame waits for its other half.
        pending_.append(data, length);
        const int bytesPerFrame = format_.bytesPerFrame();
        // A capture is only made for a valid format, whose frames have bytes.
        // NOLINTNEXTLINE(clang-analyzer-core.DivideZero)
        const qsizetype frames = pending_.size() / bytesPerFrame;
        for (qsizetype first = 0; first < frames; first += framesPerBlock)
            convert(pending_.constData() + first * bytesPerFrame,
                    static_cast<int>(std::min<qsizetype>(framesPerBlock, frames - first)));
        pending_.remove(0, frames * bytesPerFrame);
        return length;
    }

private:
    void convert(const char* bytes, int frames)
    {
        const int channels = format_.channelCount();
        const int bytesPerSample = format_.bytesPerSample();
        mono_.resize(static_cast<size_t>(frames));
        for (int frame = 0; frame < frames; ++frame) {
            const char* first = bytes + frame * channels * bytesPerSample;
            float sum = 0;
            for (int channel = 0; channel < channels; ++channel)
                sum += format_.normalizedSampleValue(first + channel * bytesPerSample);
            mono_[static_cast<size_t>(frame)] = sum / static_cast<float>(channels);
        }

        const long capacity = static_cast<long>(std::floor(frames * resampler_->ratio())) + spareFrames;
        std::vector<float> samples;
        // A block that fails to convert is dropped; the dictation goes on with the next one.
        if (resampler_->convert(mono_, capacity, false, samples) || samples.empty())
            return;
        float sumOfSquares = 0;
        for (float sample : samples)
            sumOfSquares += sample * sample;
        const float level = std::sqrt(sumOfSquares / static_cast<float>(samples.size()));
        if (onAudio_)
            onAudio_(samples, level);
    }

    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<Resampler> resampler_;
    AudioSource::Callback onAudio_;
    QAudioSource* input_ = nullptr;
    QByteArray pending_;
    std::vector<float> mono_;
};

Microphone::Microphone() = default;

Microphone::~Microphone()
{
    shutDown();
}

void Microphone::start()
{
    if (running_)
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        throw AudioInputError(QStringLiteral("no audio input device"));
    const QAudioFormat format = device.preferredFormat();
    std::unique_ptr<Resampler> resampler;
    if (format.isValid())
        resampler = Resampler::create(format.sampleRate());
    if (!resampler)
        throw AudioFileError::unreadable(QStringLiteral("no converter from ") + describe(format));

    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("quillmarsh.audio"));
    thread_->start();
    capture_ = new Capture(device, format, std::move(resampler), onAudio);
    capture_->moveToThread(thread_.get());

    // Qt's input never throws: it "starts" on a busy or missing device and records silence.
    // Its error state after starting is what tells.
    std::optional<QString> failure;
    QMetaObject::invokeMethod(
        capture_, [this, &failure] { failure = capture_->startInput(); }, Qt::BlockingQueuedConnection);
    if (failure) {
        shutDown();
        throw AudioInputError(*failure);
    }
    running_ = true;
}

void Microphone::stop()
{
    if (!running_)
        return;
    shutDown();
    running_ = false;
}

void Microphone::shutDown()
{
    if (!thread_)
        return;
    QMetaObject::invokeMethod(
        capture_, [capture = capture_] { capture->stopInput(); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete capture_;
    capture_ = nullptr;
    thread_.reset();
}

Microphone::Permission Microphone::permission()
{
    return QMediaDevices::audioInputs().isEmpty() ? Permission::restricted : Permission::authorized;
}

void Microphone::requestPermission(const std::function<void(bool)>& answer)
{
    answer(permission() == Permission::authorized);
}
