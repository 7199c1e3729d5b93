#pragma once
// A connection of its own to the sound server (PulseAudio, or PipeWire in its place), whose events
// run on a thread of its own. Each recording and each playback opens one, so a server that started
// after the application, or started again, is found without a restart; a stream made with no device
// named goes to the server's default of that moment.

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

class SoundServer {
public:
    // How long a caller that waits gives the server to answer.
    static constexpr std::chrono::seconds answerLimit{3};

    // Called on the server's thread, under the lock, when the connection or a watched stream
    // changes state. Set before open().
    std::function<void()> onChange;

    SoundServer();
    // No callback runs once it has begun.
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Starts the thread and asks for the connection without waiting for it. Returns why the server
    // can't even be asked (none is running, say).
    std::optional<QString> open();

    // The connection and its streams are touched only while one is held.
    class Lock {
    public:
        explicit Lock(SoundServer& server);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    // Under the lock.
    pa_context* context() const { return context_; }
    bool ready() const;
    // Why the connection ended, once it has.
    std::optional<QString> failure() const;
    // The server's last error, as text.
    QString lastError() const;
    // Makes the stream's state changes call onChange and wake a waiting caller.
    void watch(pa_stream* stream);
    // Under the lock: disconnects the stream and lets it go, after which none of its callbacks
    // runs; disconnecting also drops a pending drain, so its answer never comes.
    static void end(pa_stream* stream);
    // Waits, at most answerLimit, until `done` holds: false when the time ran out first.
    bool waitUntil(const std::function<bool()>& done);
    // On the server's thread: has a waiting caller look at `done` again (an answer came).
    void wake();

private:
    static void onState(void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool running_ = false;
};
