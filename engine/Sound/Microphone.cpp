#include "Microphone.h"

#include "Resampler.h"
#include "Sound/SoundSources.h"
#include "SoundServer.h"

#include <pulse/pulseaudio.h>

#include <QSet>

#include <cmath>
#include <cstring>
#include <limits>
#include <span>

namespace {

// The tap size the conversion works in: about 21 ms at 48 kHz.
constexpr size_t framesPerBlock = 1024;
// Output room beyond the block's exact share, for the filter's rounding.
constexpr long spareFrames = 64;
// How much the server gathers before it hands a piece over.
constexpr pa_usec_t pieceMicroseconds = 20000;

const QString noAnswer = QStringLiteral("the sound server did not answer");

}

// One dictation's stream from the server's default input: mono float at the input's own rate (the
// server mixes the channels down), converted here to 16 kHz.
class Microphone::Recording {
public:
    Recording(AudioSource::Callback onAudio, AudioSource::FailureCallback onFailure)
        : onAudio_(std::move(onAudio)), onFailure_(std::move(onFailure))
    {
        server_.onChange = [this] { changed(); };
    }

    ~Recording()
    {
        {
            SoundServer::Lock lock(server_);
            // Ending the stream here is no failure to tell.
            server_.onChange = nullptr;
            if (stream_)
                SoundServer::end(stream_);
        }
    }

    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Throws AudioInputError.
    void open()
    {
        if (server_.open())
            throw AudioInputError::noServer();
        SoundServer::Lock lock(server_);
        if (!server_.waitUntil([this] { return server_.ready() || server_.failure(); }))
            throw AudioInputError::other(noAnswer);
        if (server_.failure())
            throw AudioInputError::noServer();

        // The rate is a first wish only: the input's own rate replaces it (PA_STREAM_FIX_RATE).
        const pa_sample_spec wish{PA_SAMPLE_FLOAT32NE, 48000, 1};
        stream_ = pa_stream_new(server_.context(), "Dictation", &wish, nullptr);
        if (!stream_)
            throw AudioInputError::other(server_.lastError());
        server_.watch(stream_);
        pa_stream_set_read_callback(
            stream_, [](pa_stream*, size_t, void* self) { static_cast<Recording*>(self)->read(); }, this);
        pa_buffer_attr buffering{};
        buffering.maxlength = std::numeric_limits<uint32_t>::max();
        buffering.tlength = buffering.prebuf = buffering.minreq = std::numeric_limits<uint32_t>::max();
        buffering.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(pieceMicroseconds, &wish));
        // No device named: the server's default input of this moment. Not moved elsewhere when
        // it goes: the server would move it to whatever is left, the speakers' monitor even.
        const auto flags = pa_stream_flags_t(PA_STREAM_FIX_RATE | PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED
                                             | PA_STREAM_DONT_MOVE);
        if (pa_stream_connect_record(stream_, nullptr, &buffering, flags) < 0)
            throw AudioInputError::other(server_.lastError());
        const auto settled = [this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; };
        if (!server_.waitUntil(settled))
            throw AudioInputError::other(noAnswer);
        if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            if (pa_context_errno(server_.context()) == PA_ERR_NOENTITY)
                throw AudioInputError::noMicrophone();
            throw AudioInputError::other(server_.lastError());
        }
        // Corked until here: nothing of a monitor was heard.
        const QSet<uint32_t> microphones = this->microphones();
        if (!microphones.contains(pa_stream_get_device_index(stream_)))
            throw microphones.isEmpty() ? AudioInputError::noMicrophone() : AudioInputError::monitorChosen();

        const uint32_t rate = pa_stream_get_sample_spec(stream_)->rate;
        resampler_ = Resampler::create(rate);
        if (!resampler_)
            throw AudioInputError::other(QStringLiteral("no converter from %1 Hz").arg(rate));
        if (pa_operation* operation = pa_stream_cork(stream_, 0, nullptr, nullptr))
            pa_operation_unref(operation);
        live_ = true;
    }

private:
    // Under the lock: the indexes of the server's sources that are microphones. A monitor chosen
    // as the default input while one is there is the user's to change; no microphone at all is not.
    QSet<uint32_t> microphones()
    {
        struct Answer {
            SoundServer* server;
            QSet<uint32_t> microphones;
            bool ended = false;  // the list's end: no call follows
        } answer{&server_, {}};
        pa_operation* operation = pa_context_get_source_info_list(
            server_.context(),
            [](pa_context*, const pa_source_info* info, int last, void* data) {
                auto* asked = static_cast<Answer*>(data);
                if (last == 0 && info) {
                    if (SoundSources::isMicrophone(*info))
                        asked->microphones.insert(info->index);
                } else {
                    asked->ended = true;
                }
                asked->server->wake();
            },
            &answer);
        if (!operation)
            throw AudioInputError::other(server_.lastError());
        const bool answered = server_.waitUntil([&] { return answer.ended; });
        if (!answered)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        if (!answered)
            throw AudioInputError::other(noAnswer);
        return answer.microphones;
    }

    // On the server's thread, under the lock: the input, or the whole server, went away.
    void changed()
    {
        if (!live_)
            return;
        const bool streamEnded = pa_stream_get_state(stream_) != PA_STREAM_READY;
        if (!streamEnded && !server_.failure())
            return;
        live_ = false;
        if (onFailure_)
            onFailure_(AudioInputError::stopped().description());
    }

    // On the server's thread.
    void read()
    {
        const void* data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream_) > 0 && pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
            // A hole (data lost by the server) has no samples to hand on.
            if (data) {
                const size_t frames = bytes / sizeof(float);
                mono_.resize(frames);
                std::memcpy(mono_.data(), data, frames * sizeof(float));
                for (size_t first = 0; first < frames; first += framesPerBlock)
                    convert(std::span<const float>(mono_).subspan(first, std::min(framesPerBlock, frames - first)));
            }
            pa_stream_drop(stream_);
        }
    }

    void convert(std::span<const float> block)
    {
        const long capacity = static_cast<long>(std::floor(double(block.size()) * resampler_->ratio())) + spareFrames;
        std::vector<float> samples;
        // A block that fails to convert is dropped; the dictation goes on with the next one.
        if (resampler_->convert(block, capacity, false, samples) || samples.empty())
            return;
        float sumOfSquares = 0;
        for (float sample : samples)
            sumOfSquares += sample * sample;
        const float level = std::sqrt(sumOfSquares / static_cast<float>(samples.size()));
        if (onAudio_)
            onAudio_(samples, level);
    }

    AudioSource::Callback onAudio_;
    AudioSource::FailureCallback onFailure_;
    bool live_ = false;  // recording, and not yet told that it stopped; under the lock
    SoundServer server_;
    pa_stream* stream_ = nullptr;
    std::unique_ptr<Resampler> resampler_;
    std::vector<float> mono_;
};

Microphone::Microphone() = default;

Microphone::~Microphone() = default;

void Microphone::start()
{
    if (recording_)
        return;
    auto recording = std::make_unique<Recording>(onAudio, onFailure);
    recording->open();
    recording_ = std::move(recording);
}

void Microphone::stop()
{
    recording_.reset();
}
