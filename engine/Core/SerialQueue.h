#pragma once
// A named serial work queue on its own thread: work runs one item at a time, in the order it
// was posted (delayed work in the order it falls due). Stands in for a serial dispatch queue.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

class SerialQueue {
public:
    using Work = std::function<void()>;

    explicit SerialQueue(const std::string& label);
    // Runs the work already due, drops delayed work that is not, then ends the thread.
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(Work work);
    void asyncAfter(std::chrono::steady_clock::duration delay, Work work);
    // Runs the work on the queue and waits for it. Never call it from the queue itself.
    void sync(Work work);

private:
    using Key = std::pair<std::chrono::steady_clock::time_point, unsigned long long>;

    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<Key, Work> pending_;
    unsigned long long nextSequence_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};
