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
