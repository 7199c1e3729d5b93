#include "Core/Clock.h"
#include "Core/MainThread.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(SystemClock, ScheduledWorkRunsOnTheMainThreadUnlessCancelled)
{
    bool ranOnMain = false;
    bool ran = false;
    bool cancelledRan = false;
    bool ranWithLeeway = false;
    std::thread([&] {
        Clock::system().schedule(5ms, [&] {
            ranOnMain = isMainThread();
            ran = true;
        });
        Clock::system().schedule(1ms, [&] { cancelledRan = true; })->cancel();
        // With a leeway, on the coarse timer.
        Clock::system().schedule(
            40ms, [&] { ranWithLeeway = true; }, 4ms);
    }).join();
    ASSERT_TRUE(waitUntil([&] { return ran && ranWithLeeway; }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_FALSE(cancelledRan);
}
