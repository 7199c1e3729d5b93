#include "Core/Clock.h"
#include "Core/MainThread.h"
#include "ManualClock.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(ManualClock, RunsScheduledWorkInDueOrderOnlyWhenAdvanced)
{
    ManualClock clock;
    std::vector<int> ran;
    const auto start = clock.now();
    clock.schedule(30s, [&] { ran.push_back(30); });
    clock.schedule(10s, [&] { ran.push_back(10); });
    auto cancelled = clock.schedule(20s, [&] { ran.push_back(20); });
    cancelled->cancel();

    clock.advance(9s);
    EXPECT_TRUE(ran.empty());
    clock.advance(1s);
    EXPECT_EQ(ran, std::vector<int>{10});
    clock.advance(60s);
    EXPECT_EQ(ran, (std::vector<int>{10, 30}));
    EXPECT_EQ(clock.now() - start, 70s);
    EXPECT_EQ(clock.pendingCount(), 0);
}

TEST(ManualClock, WorkScheduledByWorkRunsInTheSameAdvance)
{
    ManualClock clock;
    int ticks = 0;
    std::function<void()> tick = [&] {
        ++ticks;
        clock.schedule(1s, tick);
    };
    clock.schedule(1s, tick);
    clock.advance(5s);
    EXPECT_EQ(ticks, 5);
}

TEST(SystemClock, ScheduledWorkRunsOnTheMainThreadUnlessCancelled)
{
    bool ranOnMain = false;
    bool ran = false;
    bool cancelledRan = false;
    std::thread([&] {
        Clock::system().schedule(5ms, [&] {
            ranOnMain = isMainThread();
            ran = true;
        });
        Clock::system().schedule(1ms, [&] { cancelledRan = true; })->cancel();
    }).join();
    ASSERT_TRUE(waitUntil([&] { return ran; }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_FALSE(cancelledRan);
}

TEST(MainThread, WorkFromAnotherThreadRunsOnTheMainThread)
{
    bool onMain = false;
    bool done = false;
    std::thread([&] {
        runOnMainThread([&] {
            onMain = isMainThread();
            done = true;
        });
    }).join();
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_TRUE(onMain);
}
