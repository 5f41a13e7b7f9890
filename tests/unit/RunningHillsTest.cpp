#include "scenes/runningoff/RunningHills.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(RunningHillsLayers, FiveLayersFarToNear)
{
    const float xs[5] = {-10.0f, -8.0f, -6.0f, -4.0f, -2.0f};
    const float ys[5] = {0.7999999523162842f, 0.5f, 0.0f, -1.0f, -4.0f};  // the single-precision formula, not 0.8
    const float depths[5] = {11.0f, 9.0f, 7.0f, 5.0f, 3.0f};
    const float greys[5] = {0.46f, 0.54f, 0.62f, 0.70f, 0.78f};
    for (int i = 0; i < 5; ++i) {
        const RunningHills::Hill hill = RunningHills::hillLayer(5 - i);
        EXPECT_EQ(hill.x, xs[i]) << "layer " << i;
        EXPECT_EQ(hill.y, ys[i]) << "layer " << i;
        EXPECT_EQ(hill.depth, depths[i]) << "layer " << i;
        const RunningHills::HillPlacement place = RunningHills::placeHill(hill, 3.0f);
        EXPECT_NEAR(place.grey, greys[i], 1e-6) << "layer " << i;
        EXPECT_EQ(place.stretch, 11.0f - depths[i]);
    }
    // The farthest layer is flattened to a line: it covers no pixels.
    EXPECT_EQ(RunningHills::placeHill(RunningHills::hillLayer(5), 10.0f).stretch, 0.0f);
}

TEST(RunningHillsLayers, RiseBobAndScrollFromThreeSeconds)
{
    const RunningHills::Hill near = RunningHills::hillLayer(1);
    const RunningHills::HillPlacement start = RunningHills::placeHill(near, 3.0f);
    EXPECT_FLOAT_EQ(start.ty, -4.0f - 2.0f);  // lowest
    EXPECT_EQ(start.scrollTime, 0.0f);
    EXPECT_EQ(RunningHills::placeHill(near, 3.69f).scrollTime, 0.0f);
    EXPECT_NEAR(RunningHills::placeHill(near, 3.7f).scrollTime, 0.0f, 1e-6);
    EXPECT_NEAR(RunningHills::placeHill(near, 4.7f).scrollTime, 1.0f, 1e-6);
    // Highest first at v = pi * depth / 4.
    const float top = 3.0f + 3.14159265f * 3.0f / 4.0f;
    EXPECT_NEAR(RunningHills::placeHill(near, top).ty, -4.0f + 2.0f, 1e-5);
}

TEST(RunningHillsTerrain, TenThousandColumnsDownToMinusHundred)
{
    const std::vector<float> terrain = RunningHills::makeTerrain();
    ASSERT_EQ(terrain.size(), 40000u);
    EXPECT_EQ(terrain[0], 0.0f);
    EXPECT_EQ(terrain[1], 0.0f);
    EXPECT_EQ(terrain[2], 0.0f);
    EXPECT_EQ(terrain[3], -100.0f);
    const float lastX = 9999.0f * 0.08f;  // 799.92
    EXPECT_EQ(terrain[39996], lastX);
    EXPECT_EQ(terrain[39997], static_cast<float>(std::cos(static_cast<double>(lastX)) * static_cast<double>(0.1f) -
                                                 static_cast<double>(0.1f)));
    EXPECT_EQ(terrain[39998], lastX);
    EXPECT_EQ(terrain[39999], -100.0f);
}

TEST(RunningHillsSky, FadesToOpaqueYellowBetweenSixAndEleven)
{
    EXPECT_EQ(RunningHills::skyColourAt(6.0f).alpha, 0.0f);
    EXPECT_EQ(RunningHills::skyColourAt(6.0f).c, 0.0f);
    EXPECT_FLOAT_EQ(RunningHills::skyColourAt(8.5f).alpha, 0.5f);
    EXPECT_FLOAT_EQ(RunningHills::skyColourAt(8.5f).c, 0.3f);
    EXPECT_EQ(RunningHills::skyColourAt(12.0f).alpha, 1.0f);
    EXPECT_FLOAT_EQ(RunningHills::skyColourAt(33.0f).c, 0.6f);
}
