// The running branch's pure parts: ground strip and look-up, steering, camera,
// and the generated branch on plain memory.

#include "gfx/Random.h"
#include "scenes/runningoff/RunningBranch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

using branching::BranchBuffer;

namespace {

float zeroDraw() { return 0.0f; }

struct Frame
{
    std::vector<float> floats;
    int used = 0;
};

Frame generateAt(float t, int capacity = RunningBranch::branchCapacity())
{
    static const std::vector<float> ground = RunningBranch::makeGround();
    Frame frame;
    frame.floats.assign(static_cast<std::size_t>(capacity), 0.0f);
    BranchBuffer buffer{frame.floats.data(), 0, capacity};
    RunningBranch::generateFrame(buffer, ground, t);
    frame.used = buffer.used;
    frame.floats.resize(static_cast<std::size_t>(buffer.used));
    return frame;
}

// The main branch's segments: the first one, then each segment starting
// exactly where the last main segment ended (side branches start along it).
int mainSegmentCount(const std::vector<float>& f)
{
    if (f.empty())
        return 0;
    int count = 1;
    float tipX = f[2];
    float tipY = f[3];
    for (std::size_t i = 4; i + 3 < f.size(); i += 4) {
        if (f[i] == tipX && f[i + 1] == tipY) {
            ++count;
            tipX = f[i + 2];
            tipY = f[i + 3];
        }
    }
    return count;
}

} // namespace

TEST(RunningGround, StripRunsFromOneToThirtyPointNinetySeven)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    ASSERT_EQ(ground.size(), 4000u);
    EXPECT_EQ(ground[0], 1.0f);
    EXPECT_EQ(ground[1], 0.0f);  // the wave starts at its top
    EXPECT_EQ(ground[2], 1.0f);
    EXPECT_EQ(ground[3], -2.0f);
    EXPECT_NEAR(ground[3996], 30.97f, 1e-4);
    EXPECT_EQ(ground[3996], 0.03f * 999.0f + 1.0f);
    EXPECT_EQ(ground[3997], 0.1f * std::cos(0.03f * 999.0f) - 0.1f);
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
    // Above and rising: down by 0.3.
    EXPECT_FLOAT_EQ(RunningBranch::steerTowardsGround(0.5f, 0.1f), 0.2f);
    // Above and falling: unchanged.
    EXPECT_EQ(RunningBranch::steerTowardsGround(-0.5f, 0.1f), -0.5f);
    // Below and falling or level: up by 0.3.
    EXPECT_FLOAT_EQ(RunningBranch::steerTowardsGround(-0.5f, -0.1f), -0.2f);
    EXPECT_FLOAT_EQ(RunningBranch::steerTowardsGround(0.0f, -0.1f), 0.3f);
    // Exactly on the ground counts as below.
    EXPECT_FLOAT_EQ(RunningBranch::steerTowardsGround(-1.3f, 0.0f), -1.0f);
    // Below and rising: unchanged.
    EXPECT_EQ(RunningBranch::steerTowardsGround(0.5f, -0.1f), 0.5f);
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

TEST(RunningBranchGeneration, BufferIsSizedForTheWholeScene)
{
    EXPECT_EQ(RunningBranch::branchCapacity(), 58240);
    // At the scene's last second the capacity is not what stops the branch.
    const Frame sized = generateAt(33.0f);
    const Frame roomy = generateAt(33.0f, 4 * 100000);
    EXPECT_EQ(sized.used, roomy.used);
    EXPECT_LT(sized.used, RunningBranch::branchCapacity());
    EXPECT_EQ(mainSegmentCount(sized.floats), 264);
}

TEST(RunningBranchGeneration, EarlyFramesGrowOneShortenedSegmentFromTheStart)
{
    EXPECT_EQ(generateAt(0.0f).used, 0);

    const Frame frame = generateAt(0.1f);
    ASSERT_EQ(frame.used, 4);  // side branches at budget -0.2 write nothing
    EXPECT_EQ(frame.floats[0], 0.0f);
    EXPECT_EQ(frame.floats[1], -0.2f);
    const float length = std::hypot(frame.floats[2] - frame.floats[0], frame.floats[3] - frame.floats[1]);
    // 0.8 of 0.15, times the random factor of [0.2, 2].
    EXPECT_GE(length, 0.2f * 0.12f - 1e-6f);
    EXPECT_LE(length, 2.0f * 0.12f + 1e-6f);
}

TEST(RunningBranchGeneration, SegmentCountFollowsTheBudget)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    std::vector<float> floats(static_cast<std::size_t>(RunningBranch::branchCapacity()));
    for (float budget : {1.0f, 3.0f, 3.5f, 7.25f}) {
        BranchBuffer buffer{floats.data(), 0, static_cast<int>(floats.size())};
        gfx::srand(0);
        RunningBranch::growMainBranch(buffer, ground, 0.0f, 4, budget, 0.0f, -0.2f, -1.3f, 0.15f);
        const std::vector<float> written(floats.begin(), floats.begin() + buffer.used);
        EXPECT_EQ(mainSegmentCount(written), static_cast<int>(std::ceil(budget))) << "budget " << budget;
    }
}

TEST(RunningBranchGeneration, SideBranchesFollowTheirTable)
{
    // Every draw 0, at time 0: budget 1.5 writes the main segment, the first
    // branch of each side branch at half length, and a second main segment at
    // half length whose side branches, at budget -0.5, write nothing.
    const std::vector<float> ground = RunningBranch::makeGround();
    std::vector<float> f(64, 0.0f);
    BranchBuffer buffer{f.data(), 0, 64};
    RunningBranch::growMainBranch(buffer, ground, 0.0f, 4, 1.5f, 0.0f, -0.2f, -1.3f, 0.15f, zeroDraw);
    ASSERT_EQ(buffer.used, 24);

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
        EXPECT_NEAR(std::hypot(s[2] - s[0], s[3] - s[1]), 0.25f * 0.15f * 0.5f, 1e-6) << "side " << i;
    }
    const float* falling = f.data() + 16;
    EXPECT_NEAR(falling[0], 2.0f * dx / 3.0f, 1e-6);
    EXPECT_NEAR(std::atan2(falling[3] - falling[1], falling[2] - falling[0]), a - halfPi, 1e-4);
    EXPECT_NEAR(std::hypot(falling[2] - falling[0], falling[3] - falling[1]), 0.5f * 0.15f * 0.5f, 1e-6);
    const float* second = f.data() + 20;
    EXPECT_EQ(second[0], f[2]);
    EXPECT_EQ(second[1], f[3]);
    EXPECT_NEAR(std::hypot(second[2] - second[0], second[3] - second[1]), 0.075f, 1e-6);
}

TEST(RunningBranchGeneration, FramesRepeatAndKeepTheSpareAsFound)
{
    if (rndnSparePending())
        rndn();
    const Frame first = generateAt(9.3f);
    EXPECT_FALSE(rndnSparePending());
    const Frame second = generateAt(9.3f);
    EXPECT_EQ(first.floats, second.floats);
    EXPECT_GT(first.used, 0);

    // With a spare pending it stays pending: the draw count per frame is even.
    rndn();
    generateAt(9.3f);
    EXPECT_TRUE(rndnSparePending());
    rndn();
}
