#include "Core/SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(SerialQueue, RunsWorkOneAtATimeInPostingOrder)
{
    SerialQueue queue("quillmarsh.test");
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 200; ++i) {
        queue.async([&, i] {
            if (running.fetch_add(1) != 0)
                overlapped = true;
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    queue.sync([] {});
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], i);
    EXPECT_FALSE(overlapped);
}

TEST(SerialQueue, DelayedWorkRunsWhenDueAndAfterEarlierWork)
{
    SerialQueue queue("quillmarsh.test");
    std::mutex mutex;
    std::vector<std::string> order;
    const auto record = [&](std::string what) {
        std::lock_guard lock(mutex);
        order.push_back(std::move(what));
    };
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point ranAt;
    queue.asyncAfter(60ms, [&] {
        ranAt = std::chrono::steady_clock::now();
        record("late");
    });
    queue.asyncAfter(20ms, [&] { record("early"); });
    queue.async([&] { record("now"); });
    std::this_thread::sleep_for(150ms);
    queue.sync([] {});
    EXPECT_EQ(order, (std::vector<std::string>{"now", "early", "late"}));
    EXPECT_GE(ranAt - start, 60ms);
}

TEST(SerialQueue, DestructionRunsWorkAlreadyPosted)
{
    std::atomic<int> count{0};
    {
        SerialQueue queue("quillmarsh.test");
        for (int i = 0; i < 50; ++i)
            queue.async([&] {
                std::this_thread::sleep_for(1ms);
                ++count;
            });
        queue.asyncAfter(std::chrono::hours(1), [&] { count += 1000; });
    }
    EXPECT_EQ(count, 50) << "posted work runs, work due in an hour is dropped";
}
