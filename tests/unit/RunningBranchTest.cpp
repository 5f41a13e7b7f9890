// The running branch's pure parts: ground strip and look-up, steering, camera,
// and the generated branch on plain memory.

#include "BranchMemory.h"

#include "scenes/runningoff/RunningBranch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

float zeroDraw() { return 0.0f; }

} // namespace

TEST(RunningGround, StripRunsFromOneToThirtyPointNinetySeven)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    ASSERT_EQ(ground.size(), 4000u);
    EXPECT_EQ(ground[0], 1.0f);
    EXPECT_EQ(ground[1], 0.0f);  // the wave starts at its top
    EXPECT_EQ(ground[2], 1.0f);
    EXPECT_EQ(ground[3], -2.0f);
    EXPECT_EQ(ground[3996], 0.03f * 999.0f + 1.0f);  // 30.97, rounded as single precision
    EXPECT_NEAR(ground[401], 0.1 * std::cos(3.0) - 0.1, 1e-6);  // a wave of 0.1 below the top
    EXPECT_EQ(ground[3999], -2.0f);
    for (std::size_t i = 1; i < ground.size(); i += 4) {
        EXPECT_LE(ground[i], 0.0f);
        EXPECT_GE(ground[i], -0.2f);
    }
}

TEST(RunningGround, HeightLookUpClampsToTheStrip)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    // Left of the strip (and the first column itself): column 0.
    EXPECT_EQ(RunningBranch::groundHeightAt(ground, -5.0f), ground[1]);
    EXPECT_EQ(RunningBranch::groundHeightAt(ground, 0.99f), ground[1]);
    // Inside: the column x falls in, truncated.
    EXPECT_EQ(RunningBranch::groundHeightAt(ground, 1.0f + 0.03f * 100.0f + 0.015f), ground[4 * 100 + 1]);
    // Beyond 30.97: the last column, however far.
    EXPECT_EQ(RunningBranch::groundHeightAt(ground, 31.5f), ground[3997]);
    EXPECT_EQ(RunningBranch::groundHeightAt(ground, 1e12f), ground[3997]);
}

TEST(RunningSteering, TurnsTowardsTheGroundLine)
{
    const struct
    {
        float angle, above, steered;
        const char* where;
    } rows[] = {
        {0.5f, 0.1f, 0.2f, "above and rising: down by 0.3"},
        {-0.5f, 0.1f, -0.5f, "above and falling: unchanged"},
        {-0.5f, -0.1f, -0.2f, "below and falling: up by 0.3"},
        {0.0f, -0.1f, 0.3f, "below and level: up"},
        {-1.3f, 0.0f, -1.0f, "on the ground counts as below"},
        {0.5f, -0.1f, 0.5f, "below and rising: unchanged"},
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(RunningBranch::steerTowardsGround(row.angle, row.above), row.steered) << row.where;
}

TEST(RunningCamera, StillThenPanningThenStill)
{
    EXPECT_EQ(RunningBranch::cameraOffset(0.0f), 0.0f);
    EXPECT_EQ(RunningBranch::cameraOffset(0.7f), 0.0f);
    EXPECT_NEAR(RunningBranch::cameraOffset(1.7f), -1.2f, 1e-5);
    EXPECT_NEAR(RunningBranch::cameraOffset(12.0f), -13.56f, 1e-4);
    EXPECT_NEAR(RunningBranch::cameraOffset(23.0f), -26.76f, 1e-4);
    EXPECT_EQ(RunningBranch::cameraOffset(23.5f), -1.2f * 22.3f);
    EXPECT_EQ(RunningBranch::cameraOffset(33.0f), -1.2f * 22.3f);
}

TEST(RunningBranchGeneration, EarlyFrameGrowsOneShortenedSegmentFromTheStart)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    Memory memory(RunningBranch::branchCapacity());
    RunningBranch::generateFrame(memory.buffer, ground, 0.1f);
    const std::vector<float> f = memory.kept();
    ASSERT_EQ(f.size(), 4u);  // side branches at budget -0.2 write nothing
    EXPECT_EQ(f[0], 0.0f);
    EXPECT_EQ(f[1], -0.2f);
    // The shortened 0.15 times the first draw's factor, drawn after srand(0).
    clearSpare();
    gfx::srand(0);
    const float expected = branching::mainSegmentLength(rndn(), 0.15f * branching::mainBranchBudget(0.1f));
    rndn();
    EXPECT_NEAR(std::hypot(f[2] - f[0], f[3] - f[1]), expected, 1e-7);
}

TEST(RunningBranchGeneration, SideBranchesFollowTheirTable)
{
    // Every draw 0, at time 0: budget 1.5 writes the main segment, the first
    // branch of each side branch at half length, and a second main segment at
    // half length whose side branches, at budget -0.5, write nothing.
    const std::vector<float> ground = RunningBranch::makeGround();
    Memory memory(64, 0.0f);
    const std::vector<float>& f = memory.floats;
    RunningBranch::growMainBranch(memory.buffer, ground, 0.0f, 4, 1.5f, 0.0f, -0.2f, -1.3f, 0.15f, zeroDraw);
    ASSERT_EQ(memory.buffer.used, 24);

    // Below the ground and falling: steered up from -1.3 to -1.0.
    const float a = -1.3f + 0.3f;
    const float dx = std::cos(a) * 0.15f;
    const float dy = std::sin(a) * 0.15f;
    EXPECT_EQ(f[2], dx);
    EXPECT_FLOAT_EQ(f[3], -0.2f + dy);

    const double halfPi = 1.5707963267948966;
    const float g = 1.5f;
    const float lags[3] = {0.0f, -0.33333334f, -0.6666667f};
    for (int i = 0; i < 3; ++i) {
        const float* s = f.data() + 4 * (i + 1);
        const float along = 0.25f * static_cast<float>(i + 1);
        EXPECT_NEAR(s[0], along * dx, 1e-6) << "side " << i;
        EXPECT_NEAR(s[1], -0.2f + along * dy, 1e-6) << "side " << i;
        const double angle = a + halfPi + 0.7853981633974483 * std::sin(0.1f * (g + lags[i]));
        EXPECT_NEAR(std::atan2(s[3] - s[1], s[2] - s[0]), angle, 1e-4) << "side " << i;
        EXPECT_NEAR(segmentLength(f, i + 1), 0.25f * 0.15f * 0.5f, 1e-6) << "side " << i;
    }
    const float* falling = f.data() + 16;
    EXPECT_NEAR(falling[0], 2.0f * dx / 3.0f, 1e-6);
    EXPECT_NEAR(std::atan2(falling[3] - falling[1], falling[2] - falling[0]), a - halfPi, 1e-4);
    EXPECT_NEAR(segmentLength(f, 4), 0.5f * 0.15f * 0.5f, 1e-6);
}
