#include "SoundServer.h"

#include <pulse/pulseaudio.h>
#include <pulse/thread-mainloop.h>

SoundServer::SoundServer()
{
    loop_ = pa_threaded_mainloop_new();
    if (loop_)
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Quillmarsh");
}

SoundServer::~SoundServer()
{
    if (running_)
        pa_threaded_mainloop_stop(loop_);
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_)
        pa_threaded_mainloop_free(loop_);
}

std::optional<QString> SoundServer::open()
{
    if (!context_)
        return QStringLiteral("the sound server's client could not be made");
    pa_context_set_state_callback(
        context_, [](pa_context*, void* self) { onState(self); }, this);
    // Never start a server of our own: the desktop's is the one the user set up.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return QString::fromUtf8(pa_strerror(pa_context_errno(context_)));
    if (pa_threaded_mainloop_start(loop_) < 0)
        return QStringLiteral("the sound server's thread could not start");
    running_ = true;
    return std::nullopt;
}

SoundServer::Lock::Lock(SoundServer& server) : loop_(server.loop_)
{
    if (loop_)
        pa_threaded_mainloop_lock(loop_);
}

SoundServer::Lock::~Lock()
{
    if (loop_)
        pa_threaded_mainloop_unlock(loop_);
}

bool SoundServer::ready() const
{
    return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

std::optional<QString> SoundServer::failure() const
{
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
        return lastError();
    return std::nullopt;
}

QString SoundServer::lastError() const
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(context_)));
}

void SoundServer::watch(pa_stream* stream)
{
    pa_stream_set_state_callback(
        stream, [](pa_stream*, void* self) { onState(self); }, this);
}

void SoundServer::end(pa_stream* stream)
{
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

bool SoundServer::waitUntil(const std::function<bool()>& done)
{
    // The loop's own timer wakes the wait when the server stays silent.
    bool timedOut = false;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), std::chrono::microseconds(answerLimit).count());
    struct Wake {
        pa_threaded_mainloop* loop;
        bool* timedOut;
    } wake{loop_, &timedOut};
    pa_time_event* deadline = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
            auto* woken = static_cast<Wake*>(data);
            *woken->timedOut = true;
            pa_threaded_mainloop_signal(woken->loop, 0);
        },
        &wake);
    while (!done() && !timedOut)
        pa_threaded_mainloop_wait(loop_);
    api->time_free(deadline);
    return done();
}

void SoundServer::wake()
{
    pa_threaded_mainloop_signal(loop_, 0);
}

void SoundServer::onState(void* self)
{
    auto* server = static_cast<SoundServer*>(self);
    if (server->onChange)
        server->onChange();
    server->wake();
}
