// When a model source counts as slow, and the seconds it has been waited on.

#include "ManualClock.h"
#include "Models/SlowSourceWatch.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

TEST(SlowSourceWatch, CountsWholeSecondsSinceTheLastUsefulProgressWhileWaiting)
{
    ManualClock clock;
    SlowSourceWatch watch(clock);
    clock.advance(1min);
    EXPECT_EQ(watch.slowSeconds(), std::nullopt) << "nothing awaited yet";

    watch.begin();
    clock.advance(4999ms);
    EXPECT_EQ(watch.slowSeconds(), std::nullopt);
    clock.advance(1ms);
    EXPECT_EQ(watch.slowSeconds(), 5);
    clock.advance(1999ms);
    EXPECT_EQ(watch.slowSeconds(), 6);

    // A trickle adds up to useful progress only at the full amount.
    watch.received(SlowSourceWatch::usefulBytes / 2);
    watch.received(SlowSourceWatch::usefulBytes / 2 - 1);
    EXPECT_EQ(watch.slowSeconds(), 6);
    watch.received(1);
    EXPECT_EQ(watch.slowSeconds(), std::nullopt);
    clock.advance(5s);
    EXPECT_EQ(watch.slowSeconds(), 5);

    watch.end();
    EXPECT_EQ(watch.slowSeconds(), std::nullopt);
    watch.received(SlowSourceWatch::usefulBytes);
    clock.advance(10s);
    EXPECT_EQ(watch.slowSeconds(), std::nullopt) << "not waiting on the source";

    watch.begin();
    clock.advance(5s);
    EXPECT_EQ(watch.slowSeconds(), 5) << "counted from the new wait";
}

}
