#pragma once
// A thread of its own running a GLib main loop: work posted to it runs there in order, between the
// loop's own sources (such as a D-Bus connection set up on its context).

#include <functional>
#include <thread>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

class GMainLoopThread {
public:
    explicit GMainLoopThread(const char* name);
    // Runs the work already posted, then ends the thread.
    ~GMainLoopThread();
    GMainLoopThread(const GMainLoopThread&) = delete;
    GMainLoopThread& operator=(const GMainLoopThread&) = delete;

    void post(std::function<void()> work);
    GMainContext* context() const { return context_; }

private:
    GMainContext* const context_;
    GMainLoop* const loop_;
    std::thread thread_;
};
