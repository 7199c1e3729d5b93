#pragma once
// What both installers share: one run at a time on a queue of its own, a stop request the run
// polls, and states delivered on the main thread to an owner that may be gone by then. A state
// other than `Installing` ends the run; the state is `Idle` until the first run.

#include "Core/MainThread.h"
#include "Core/SerialQueue.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <variant>

template <typename State, typename Installing, typename Idle>
class InstallJob {
public:
    // `deliver` gets every state on the main thread, after state() has taken it.
    InstallJob(const std::string& queueName, std::function<void(const State&)> deliver)
        : deliver_(std::move(deliver)), queue_(queueName)
    {
    }
    // Asks a running job to stop and waits for it to end.
    ~InstallJob() { stopRequested_ = true; }
    InstallJob(const InstallJob&) = delete;
    InstallJob& operator=(const InstallJob&) = delete;

    // Main thread only.
    const State& state() const { return state_; }

    // Main thread. From start() until the run's outcome is delivered, also before its first
    // state has arrived.
    bool isRunning() const { return running_; }
    // Main thread, while not running: reports Installing{} and starts `work` on the queue.
    void start(std::function<void()> work)
    {
        running_ = true;
        stopRequested_ = false;
        set(Installing{});
        queue_.async(std::move(work));
    }
    // Main thread. The run sees it at its next check.
    void stop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }
    // Any thread, also the main thread: delivers the state there later.
    void set(State state)
    {
        runOnMainThread([this, alive = std::weak_ptr<char>(alive_), state = std::move(state)] {
            if (!alive.lock())
                return;
            state_ = state;
            if (!std::holds_alternative<Installing>(state_))
                running_ = false;
            deliver_(state_);
        });
    }

private:
    std::function<void(const State&)> deliver_;
    State state_ = Idle{};
    bool running_ = false;  // main thread
    std::atomic<bool> stopRequested_ = false;
    std::shared_ptr<char> alive_ = std::make_shared<char>();  // outlived by no queued delivery
    SerialQueue queue_;  // last: ends before the members it uses
};
