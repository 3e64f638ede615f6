#include "physics/world/Statistics.h"

#include <gtest/gtest.h>

using quarn::TStatistics;

TEST(StepStatistics, EmptyRingAveragesAndReportsZero) {
    TStatistics s;
    EXPECT_EQ(s.GetAverage(), 0.0f);
    EXPECT_EQ(s.GetLast(), 0.0f);
}

TEST(StepStatistics, TinyValuesAreStoredAsZeroButStillCount) {
    TStatistics s;
    s.AddValue(0.002f);
    s.AddValue(0.004f);
    s.AddValue(0.00005f);
    EXPECT_NEAR(s.GetAverage(), 0.002f, 1e-7f); // (0.002 + 0.004 + 0) / 3
    EXPECT_EQ(s.GetLast(), 0.0f);
}

TEST(StepStatistics, AverageBelowFloorIsZero) {
    TStatistics s;
    s.AddValue(0.00015f);
    s.AddValue(0.0f);
    s.AddValue(0.0f); // mean 0.00005
    EXPECT_EQ(s.GetAverage(), 0.0f);
}

TEST(StepStatistics, RingWrapsAfter180SamplesAndAveragesOnlyNewOnes) {
    TStatistics s;
    for (int i = 0; i < 180; ++i)
        s.AddValue(0.01f);
    EXPECT_EQ(s.WriteIndex(), 180);
    EXPECT_NEAR(s.GetAverage(), 0.01f, 1e-6f);
    EXPECT_EQ(s.GetLast(), 0.01f);
    s.AddValue(0.5f);
    EXPECT_EQ(s.WriteIndex(), 1);
    EXPECT_EQ(s.GetAverage(), 0.5f);
    EXPECT_EQ(s.GetLast(), 0.5f);
    s.AddValue(0.25f);
    EXPECT_NEAR(s.GetAverage(), 0.375f, 1e-6f);
}
