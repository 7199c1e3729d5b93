#include "SoundPlayback.h"

#include <pulse/pulseaudio.h>

namespace {
// A playing stream hears from the server many times a second (its timing, its requests for more):
// this many checks in a row without a word, one every checkEvery, and the server is taken as gone.
constexpr int silentChecksLimit = 5;
constexpr auto checkEvery =
    std::chrono::duration_cast<std::chrono::milliseconds>(SoundServer::answerLimit) / (silentChecksLimit + 1);
}

SoundPlayback::SoundPlayback(QByteArray pcm, int sampleRate, int channels, qint64 fromByte)
    : pcm_(std::move(pcm)), sampleRate_(sampleRate), channels_(channels), next_(fromByte)
{
}

SoundPlayback::~SoundPlayback()
{
    SoundServer::Lock lock(server_);
    server_.onChange = nullptr;
    if (stream_)
        SoundServer::end(stream_);
}

void SoundPlayback::start()
{
    server_.onChange = [this] { changed(); };
    if (server_.open()) {
        SoundServer::Lock lock(server_);
        report(false);
        return;
    }
    // A server that stops answering while it plays (frozen, its machine asleep) tells nothing.
    connect(&silence_, &QTimer::timeout, this, &SoundPlayback::checkHeard);
    silence_.start(checkEvery);
    // A server that takes the connection but never gets the output ready fails the run.
    QTimer::singleShot(SoundServer::answerLimit, this, [this] {
        SoundServer::Lock lock(server_);
        if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
            report(false);
    });
}

double SoundPlayback::playedSeconds()
{
    SoundServer::Lock lock(server_);
    // A stream not yet playing, or broken, tells no time: the last it told stands.
    pa_usec_t played = 0;
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY && pa_stream_get_time(stream_, &played) >= 0)
        played_ = double(played) / 1e6;
    return played_;
}

void SoundPlayback::checkHeard()
{
    SoundServer::Lock lock(server_);
    if (std::exchange(heard_, false))
        silentChecks_ = 0;
    else if (++silentChecks_ >= silentChecksLimit)
        report(false);
}

// On the server's thread, under its lock: the server answered.
void SoundPlayback::heard()
{
    heard_ = true;
}

// On the server's thread, under its lock.
void SoundPlayback::changed()
{
    heard();
    if (server_.failure()) {
        report(false);
        return;
    }
    if (!server_.ready())
        return;
    if (!stream_) {
        const pa_sample_spec format{PA_SAMPLE_S16NE, uint32_t(sampleRate_), uint8_t(channels_)};
        stream_ = pa_stream_new(server_.context(), "Clip", &format, nullptr);
        if (!stream_) {
            report(false);
            return;
        }
        server_.watch(stream_);
        pa_stream_set_write_callback(
            stream_, [](pa_stream*, size_t bytes, void* self) { static_cast<SoundPlayback*>(self)->write(bytes); },
            this);
        pa_stream_set_latency_update_callback(
            stream_, [](pa_stream*, void* self) { static_cast<SoundPlayback*>(self)->heard(); }, this);
        // No device named: the server's default output of this moment.
        const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream_, nullptr, nullptr, flags, nullptr, nullptr) < 0)
            report(false);
        return;
    }
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        report(false);
}

// On the server's thread, under its lock.
void SoundPlayback::write(size_t bytes)
{
    heard();
    const qint64 left = pcm_.size() - next_;
    const auto count = std::min<qint64>(qint64(bytes), left);
    if (count > 0) {
        pa_stream_write(stream_, pcm_.constData() + next_, size_t(count), nullptr, 0, PA_SEEK_RELATIVE);
        next_ += count;
    }
    if (next_ < pcm_.size())
        return;
    // All of it handed over: the run ends when the output has played it.
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_operation* drain = pa_stream_drain(
        stream_, [](pa_stream*, int success, void* self) { static_cast<SoundPlayback*>(self)->report(success != 0); },
        this);
    if (drain)
        pa_operation_unref(drain);
    else
        report(false);
}

// Under the server's lock; the first report is the only one.
void SoundPlayback::report(bool finished)
{
    if (std::exchange(reported_, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, finished] {
            const auto& call = finished ? onFinished : onFailed;
            if (call)
                call();
        },
        Qt::QueuedConnection);
}
