#include "SerialQueue.h"

#include <future>
#include <pthread.h>

SerialQueue::SerialQueue(const std::string& label)
{
    thread_ = std::thread([this] { run(); });
    // Thread names are limited to 15 bytes; the label's start is the useful part.
    pthread_setname_np(thread_.native_handle(), label.substr(0, 15).c_str());
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SerialQueue::async(Work work)
{
    asyncAfter(std::chrono::steady_clock::duration::zero(), std::move(work));
}

void SerialQueue::asyncAfter(std::chrono::steady_clock::duration delay, Work work)
{
    {
        std::lock_guard lock(mutex_);
        pending_.emplace(Key{std::chrono::steady_clock::now() + delay, nextSequence_++}, std::move(work));
    }
    wake_.notify_one();
}

void SerialQueue::sync(Work work)
{
    std::promise<void> done;
    async([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void SerialQueue::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending_.empty()) {
            if (stopping_)
                return;
            wake_.wait(lock);
            continue;
        }
        auto first = pending_.begin();
        const auto now = std::chrono::steady_clock::now();
        if (first->first.first > now) {
            if (stopping_)
                return;
            wake_.wait_until(lock, first->first.first);
            continue;
        }
        Work work = std::move(first->second);
        pending_.erase(first);
        lock.unlock();
        work();
        lock.lock();
    }
}
