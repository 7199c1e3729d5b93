#include "LevelMeter.h"

#include <gtest/gtest.h>

TEST(LevelMeter, TheLoudestRecentSoundShowsFullAndSoundNearTheFloorShowsNothing)
{
    LevelMeter meter;
    EXPECT_FLOAT_EQ(meter.normalize(0.03f), 1.0f);
    LevelMeter quiet;
    EXPECT_FLOAT_EQ(quiet.normalize(0.005f), 0.0f) << "under 1.6 times the floor";
}

TEST(LevelMeter, ALevelAtTheFloorKeepsTheFloorAndShowsNothing)
{
    LevelMeter meter;
    EXPECT_FLOAT_EQ(meter.normalize(0.004f), 0.0f);
    EXPECT_NEAR(meter.floor, 0.004f, 1e-7f);
    EXPECT_GT(meter.peak, meter.floor * 1.6f);
}

TEST(LevelMeter, TwiceThePeakBecomesTheNewPeak)
{
    LevelMeter meter;
    EXPECT_FLOAT_EQ(meter.normalize(0.06f), 1.0f);
    EXPECT_FLOAT_EQ(meter.peak, 0.06f);
    const float half = meter.normalize(0.03f);
    EXPECT_GT(half, 0.3f);
    EXPECT_LT(half, 0.6f);
}

TEST(LevelMeter, TheFloorFallsFastAndRisesSlowly)
{
    LevelMeter meter;
    meter.normalize(0.0f);
    EXPECT_FLOAT_EQ(meter.floor, 0.0032f);
    const float before = meter.floor;
    meter.normalize(0.5f);
    EXPECT_NEAR(meter.floor, 0.9995f * before + 0.0005f * 0.5f, 1e-7f);
}

TEST(LevelMeter, ThePeakDecaysButNeverBelowItsBounds)
{
    LevelMeter meter;
    for (int i = 0; i < 5000; ++i)
        meter.normalize(0.0f);
    EXPECT_FLOAT_EQ(meter.peak, 0.008f);
    EXPECT_FLOAT_EQ(meter.normalize(0.0f), 0.0f);
}

TEST(LevelMeter, StartingASessionRestartsThePeakAboveTheNoise)
{
    LevelMeter meter;
    meter.floor = 0.01f;
    meter.startSession();
    EXPECT_FLOAT_EQ(meter.peak, 0.06f);
    meter.floor = 0.004f;
    meter.startSession();
    EXPECT_FLOAT_EQ(meter.peak, 0.03f);
}
