#pragma once
// The clipboard's own thread over its own connection: it reads the server's events, runs the
// commands posted to it, and sleeps until the next event, command or deadline. Everything the
// clipboard does with the server, but taking it, happens here.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <xcb/xcb.h>

class XcbConnection;

class ClipboardThread {
public:
    using Clock = std::chrono::steady_clock;

    // What the thread serves; called on the thread only.
    class Events {
    public:
        virtual ~Events() = default;
        virtual void handle(const xcb_generic_event_t& event) = 0;
        // Gives up whatever is past its deadline.
        virtual void expire(Clock::time_point now) = 0;
        virtual std::optional<Clock::time_point> nextDeadline() const = 0;
    };

    ClipboardThread(std::shared_ptr<XcbConnection> display, Events& events);
    ~ClipboardThread();
    ClipboardThread(const ClipboardThread&) = delete;
    ClipboardThread& operator=(const ClipboardThread&) = delete;

    // Once whatever serves the events is whole.
    void start();
    // Waits for the thread, which ends once stop() was called on it or the connection broke.
    void join();
    // Runs the command on the thread.
    void post(std::function<void()> command);
    // On the thread: ends it once the current round is done.
    void stop() { stopping_ = true; }

private:
    void run();
    void handle(xcb_generic_event_t* event);
    void runCommands();
    int nextTimeout() const;

    const std::shared_ptr<XcbConnection> display_;
    xcb_connection_t* const connection_;
    Events& events_;
    std::mutex mutex_;
    std::deque<std::function<void()>> commands_;  // guarded by mutex_
    bool stopping_ = false;  // the thread's own
    std::thread thread_;
};
