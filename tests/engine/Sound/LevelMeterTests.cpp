#include "Sound/LevelMeter.h"

#include <gtest/gtest.h>

TEST(LevelMeter, ShowsSoundBetweenTheNoiseFloorAndTheRecentPeak)
{
    for (const auto& [rms, shown] : {std::pair{0.03f, 1.0f}, {0.06f, 1.0f}, {0.005f, 0.0f}, {0.004f, 0.0f}}) {
        LevelMeter meter;
        EXPECT_FLOAT_EQ(meter.normalize(rms), shown) << rms;
    }
    LevelMeter meter;
    meter.normalize(0.06f);
    const float half = meter.normalize(0.03f);
    EXPECT_GT(half, 0.3f) << "a louder sound raised the peak";
    EXPECT_LT(half, 0.6f);
    for (int i = 0; i < 5000; ++i)
        meter.normalize(0.0f);
    EXPECT_FLOAT_EQ(meter.peak, 0.008f) << "the peak decays to its bound";
    EXPECT_FLOAT_EQ(meter.normalize(0.0f), 0.0f);
}

TEST(LevelMeter, TheFloorFallsFastRisesSlowlyAndSetsTheSessionsPeak)
{
    LevelMeter meter;
    meter.normalize(0.0f);
    EXPECT_FLOAT_EQ(meter.floor, 0.0032f);
    meter.normalize(0.5f);
    EXPECT_GT(meter.floor, 0.0032f);
    EXPECT_LT(meter.floor, 0.0032f + 0.0005f * 0.5f + 1e-7f);
    for (const auto& [floor, peak] : {std::pair{0.01f, 0.06f}, {0.004f, 0.03f}}) {
        meter.floor = floor;
        meter.startSession();
        EXPECT_FLOAT_EQ(meter.peak, peak) << "a session starts with the peak just above the noise";
    }
}
