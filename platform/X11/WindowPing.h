#pragma once
// Whether an application has handled what was sent to it, asked on the clipboard's thread with
// the window manager's ping, which a client answers from its event loop: a busy one doesn't. An
// answer to a ping sent after some events says the client has read them, but a toolkit may answer
// it just before it dispatches the events read with it; so a second ping goes once the first is
// answered, and its answer says the client has dispatched them. One question at a time: a new
// one, or pingBound passing, drops the one before.

#include <chrono>
#include <functional>
#include <optional>

#include <xcb/xcb.h>

struct ClipboardAtoms;

class WindowPing {
public:
    using Clock = std::chrono::steady_clock;

    WindowPing(xcb_connection_t* connection, xcb_window_t root, ClipboardAtoms& atoms);

    // Pings the client that made `window`; `answered` runs on this thread once it answered twice.
    // The ping goes whatever the window's WM_PROTOCOLS names: some toolkits answer it unnamed (Tk),
    // and a client that doesn't know it ignores it.
    void start(xcb_window_t window, std::function<void()> answered);
    // Takes a client's answer to a ping; false for any other event.
    bool handle(const xcb_generic_event_t& event);
    void expire(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

private:
    struct Asking {
        xcb_window_t window;
        std::function<void()> answered;
        uint32_t stamp = 0;  // what the ping waiting for its answer carries
        int answers = 0;
        Clock::time_point deadline;
    };

    void send();
    void stop();

    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    ClipboardAtoms& atoms_;
    // Each ping carries its own number, counted from our connection's id base, which no other
    // client shares: another instance's pings and their answers are never taken for ours.
    uint32_t sent_;
    std::optional<Asking> asking_;
};
