// The branch frame's pure parts: its seed, the bend along the unit circle and
// the generated branch on plain memory.

#include "gfx/Random.h"
#include "growth/MainBranch.h"
#include "scenes/crashframe/BranchFrame.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using branching::BranchBuffer;

namespace {

constexpr std::array<float, 4> kFrameAngles = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

int normalDraws = 0;
int uniformDraws = 0;

float zeroNormal()
{
    ++normalDraws;
    return 0.0f;
}

float countedNormal()
{
    ++normalDraws;
    return rndn();
}

float countedUniform()
{
    ++uniformDraws;
    return rnd();
}

struct Frame
{
    std::vector<float> floats;
    int used = 0;
};

Frame generateAt(float angle, float t, int capacity = BranchFrame::branchCapacity())
{
    Frame frame;
    frame.floats.assign(static_cast<std::size_t>(capacity), 0.0f);
    BranchBuffer buffer{frame.floats.data(), 0, capacity};
    BranchFrame::generateFrame(buffer, angle, t);
    frame.used = buffer.used;
    frame.floats.resize(static_cast<std::size_t>(buffer.used));
    return frame;
}

} // namespace

TEST(BranchFrameSeed, IsTheAnglesBitPattern)
{
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[0]), 0u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[1]), 1070141403u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[2]), 1078530011u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[3]), 3217625051u);
}

TEST(BranchFrameBend, TurnsOnlyOutsideTheUnitCircle)
{
    EXPECT_EQ(BranchFrame::bendAlongCircle(0.5f, 0.5f, 1.0f), 1.0f);
    EXPECT_EQ(BranchFrame::bendAlongCircle(1.0f, 0.0f, 1.0f), 1.0f);  // on the circle: not outside
    EXPECT_EQ(BranchFrame::bendAlongCircle(0.8f, 0.7f, 1.0f), 1.8f);
    EXPECT_EQ(BranchFrame::bendAlongCircle(-2.0f, 0.0f, -0.5f), -0.5f + 0.8f);
}

TEST(BranchFrameGeneration, TimeZeroWritesNothing)
{
    for (float angle : kFrameAngles)
        EXPECT_EQ(generateAt(angle, 0.0f).used, 0);
}

TEST(BranchFrameGeneration, EarlyFrameHasOneShortenedSegmentAndTwoSideBranches)
{
    std::vector<float> f(64, 0.0f);
    BranchBuffer buffer{f.data(), 0, 64};
    normalDraws = 0;
    uniformDraws = 0;
    std::srand(BranchFrame::seedFor(kFrameAngles[1]));
    const float budget = branching::mainBranchBudget(0.1f);
    BranchFrame::growMainBranch(buffer, 0.1f, BranchFrame::kDepth, budget, 0.0f, 0.0f, kFrameAngles[1], 0.15f,
                                countedNormal, countedUniform);
    ASSERT_EQ(buffer.used, 4);
    EXPECT_EQ(f[0], 0.0f);
    EXPECT_EQ(f[1], 0.0f);
    const float length = std::hypot(f[2], f[3]);
    EXPECT_GE(length, 0.2f * 0.15f * budget - 1e-6f);
    EXPECT_LE(length, 2.0f * 0.15f * budget + 1e-6f);
    // The side branches, one level lower, write nothing at their negative
    // budget but are made: two sway rates, and each a full level-5 subtree of draws.
    EXPECT_EQ(uniformDraws, 2);
    EXPECT_EQ(normalDraws, 2 + 2 * (243 - 1));
}

TEST(BranchFrameGeneration, FirstBendAtTheFirstStartOutsideTheCircle)
{
    // Level 1 keeps the side branches out; with every draw 0 the segments
    // are 0.15 long and the walk does not turn.
    std::vector<float> f(4 * 12, 0.0f);
    BranchBuffer buffer{f.data(), 0, static_cast<int>(f.size())};
    BranchFrame::growMainBranch(buffer, 0.0f, 1, 10.0f, 0.0f, 0.0f, 0.0f, 0.15f, zeroNormal, countedUniform);
    ASSERT_EQ(buffer.used, 40);
    for (int i = 0; i < 10; ++i) {
        const float* s = f.data() + 4 * i;
        const double heading = std::atan2(s[3] - s[1], s[2] - s[0]);
        if (i < 7) {
            EXPECT_NEAR(heading, 0.0, 1e-6) << "segment " << i << " starts inside the circle";
        } else {
            EXPECT_GT(s[0] * s[0] + s[1] * s[1], 1.0f);
        }
        if (i == 7) {
            EXPECT_NEAR(heading, 0.8, 1e-6) << "segment 7 starts at x = 1.05";
        }
    }
    EXPECT_NEAR(f[4 * 7], 1.05f, 1e-6);
}

TEST(BranchFrameGeneration, FifteenSecondsNeverReachTheCapacity)
{
    EXPECT_EQ(BranchFrame::branchCapacity(), 131200);
    for (float angle : kFrameAngles) {
        const Frame sized = generateAt(angle, 15.0f);
        const Frame roomy = generateAt(angle, 15.0f, 4 * 200000);
        EXPECT_EQ(sized.used, roomy.used) << "angle " << angle;
        EXPECT_LE(sized.used, 4 * 29160);
        EXPECT_EQ(sized.floats, roomy.floats);
    }
}

TEST(BranchFrameGeneration, EveryStepKeepsTheNormalSpareAsItWas)
{
    if (rndnSparePending())
        rndn();
    for (float angle : kFrameAngles) {
        const Frame first = generateAt(angle, 7.77f);
        EXPECT_FALSE(rndnSparePending());
        EXPECT_EQ(generateAt(angle, 7.77f).floats, first.floats);
    }
    // Partial steps too: the count is even for every budget.
    rndn();
    for (float t : {0.05f, 0.3f, 2.0f, 14.9f}) {
        generateAt(kFrameAngles[2], t);
        EXPECT_TRUE(rndnSparePending()) << "t = " << t;
    }
    rndn();
}

TEST(BranchFrameGeneration, FramesDifferInSeedAndDirection)
{
    const Frame right = generateAt(kFrameAngles[0], 2.0f);
    const Frame left = generateAt(kFrameAngles[2], 2.0f);
    ASSERT_GT(right.used, 8);
    ASSERT_GT(left.used, 8);
    EXPECT_GT(right.floats[2], 0.0f);  // first segment heads right ...
    EXPECT_LT(left.floats[2], 0.0f);   // ... or left
    // Different seeds: the first segments differ in length, not only in direction.
    EXPECT_NE(std::hypot(right.floats[2], right.floats[3]), std::hypot(left.floats[2], left.floats[3]));
}
