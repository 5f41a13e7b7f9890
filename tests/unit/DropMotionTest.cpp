#include "scenes/fallingdrops/DropMotion.h"

#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace dropmotion;

namespace {

constexpr float kTight = 1e-6f;

void expectColour(const DropPose& pose, float r, float g, float b)
{
    EXPECT_NEAR(pose.red, r, kTight);
    EXPECT_NEAR(pose.green, g, kTight);
    EXPECT_NEAR(pose.blue, b, kTight);
    EXPECT_EQ(pose.alpha, 1.0f);
}

// A drop emerging at 12 s, as in the worked example.
const Drop kDrop{0.3f, -0.2f, 1.2f};

} // namespace

TEST(DropMotion, DropWithPhaseOnePointTwoEmergesAtTwelve)
{
    EXPECT_EQ(emergenceTime(kDrop.phase), 12.0f);
    DropPose pose{};
    EXPECT_FALSE(dropPoseAt(kDrop, 11.99f, pose));
    ASSERT_TRUE(dropPoseAt(kDrop, 12.0f, pose));
    EXPECT_EQ(pose.scale, 0.0f);
}

TEST(DropMotion, GrowingDropBlinksWhiteThenBlack)
{
    DropPose pose{};
    ASSERT_TRUE(dropPoseAt(kDrop, 12.12f, pose));
    EXPECT_NEAR(pose.scale, 0.02f, 1e-5f);
    expectColour(pose, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(pose.x, kDrop.x);
    EXPECT_EQ(pose.y, kDrop.y);

    ASSERT_TRUE(dropPoseAt(kDrop, 12.17f, pose));
    EXPECT_NEAR(pose.scale, 0.17f / 0.3f * 0.05f, 1e-5f);
    expectColour(pose, 0.0f, 0.0f, 0.0f);

    // Three blinks: white again in the first half of the third tenth.
    ASSERT_TRUE(dropPoseAt(kDrop, 12.22f, pose));
    expectColour(pose, 1.0f, 1.0f, 1.0f);
}

TEST(DropMotion, FallingDropShrinksDriftsAndTurnsOlive)
{
    DropPose pose{};
    ASSERT_TRUE(dropPoseAt(kDrop, 12.4f, pose));
    EXPECT_NEAR(pose.scale, 0.04985f, 1e-6f);
    expectColour(pose, 0.012f, 0.012f, 0.1f);
    EXPECT_NEAR(pose.y, kDrop.y - 0.0623f, 1e-5f);
    EXPECT_NEAR(pose.x / kDrop.x, std::exp(-0.12f), 1e-5f);
    EXPECT_NEAR(pose.x / kDrop.x, 0.887f, 1e-3f);
}

TEST(DropMotion, ShrinkAndTintStopAtTheirLimits)
{
    DropPose pose{};
    // Five seconds of falling: fully olive, still shrinking.
    ASSERT_TRUE(dropPoseAt(kDrop, 12.3f + 5.0f, pose));
    expectColour(pose, 0.6f, 0.6f, 0.1f);
    EXPECT_NEAR(pose.scale, 0.0425f, 1e-5f);
    // Fifteen seconds: far below the window, but still drawn at the final size.
    ASSERT_TRUE(dropPoseAt(kDrop, 12.3f + 15.0f, pose));
    EXPECT_EQ(pose.scale, 0.035f);
    expectColour(pose, 0.6f, 0.6f, 0.1f);
    EXPECT_NEAR(pose.y, kDrop.y - 9.345f, 1e-4f);
    EXPECT_NEAR(pose.x, 0.0f, 1e-7f);
}

TEST(DropMotion, RingAppearsWithTheDropAndGrowsATenthPerSecond)
{
    EXPECT_LT(ringRadius(kDrop.phase, 11.9f), 0.0f);
    EXPECT_FALSE(ringRadius(kDrop.phase, 12.0f) > 0.0f);
    EXPECT_NEAR(ringRadius(kDrop.phase, 13.0f), 0.1f, 1e-6f);
    // Drops with a negative phase emerged before the scene began.
    EXPECT_NEAR(ringRadius(-0.9f, 0.0f), 0.9f, 1e-6f);
}

TEST(DropMotion, CameraZoomsInUntilFifteen)
{
    const CameraPose start = cameraPoseAt(0.0f);
    EXPECT_EQ(start.zoom, 1.0f);
    EXPECT_FALSE(start.scrolls);
    EXPECT_EQ(cameraPoseAt(-3.0f).zoom, 1.0f);
    EXPECT_EQ(cameraPoseAt(7.5f).zoom, 1.5f);
    const CameraPose late = cameraPoseAt(std::nextafter(15.0f, 0.0f));
    EXPECT_NEAR(late.zoom, 2.0f, 1e-6f);
    EXPECT_FALSE(late.scrolls);
}

TEST(DropMotion, CameraScrollsUpAndZoomsOutAfterFifteen)
{
    const CameraPose c = cameraPoseAt(16.0f);
    EXPECT_EQ(c.zoom, 1.0f);
    ASSERT_TRUE(c.scrolls);
    EXPECT_NEAR(c.lift, 0.2f, 1e-7f);
    EXPECT_NEAR(c.settleZoom, 0.8f + 1.2f * std::exp(-1.0f), 1e-6f);
    EXPECT_NEAR(c.settleZoom, 1.241f, 1e-3f);

    const CameraPose far = cameraPoseAt(35.0f);
    EXPECT_NEAR(far.lift, 4.0f, 1e-6f);
    EXPECT_NEAR(far.settleZoom, 0.8f, 1e-6f);
}

TEST(DropMotion, CameraZoomIsContinuousAtFifteen)
{
    const CameraPose at = cameraPoseAt(15.0f);
    ASSERT_TRUE(at.scrolls);
    EXPECT_EQ(at.lift, 0.0f);
    EXPECT_NEAR(at.zoom * at.settleZoom, 2.0f, 1e-6f);
    const CameraPose after = cameraPoseAt(std::nextafter(15.0f, 16.0f));
    EXPECT_NEAR(after.zoom * after.settleZoom, 2.0f, 1e-5f);
}

TEST(DropMotion, ScatterDrawsTwoNormalsThenThreeUniformsPerDrop)
{
    if (rndnSparePending())
        rndn();
    gfx::srand(2);
    const float r1 = rndn();
    const float r2 = rndn();
    const float u1 = rnd();
    const float u2 = rnd();
    const float u3 = rnd();
    for (int i = 5; i < 250; ++i)
        gfx::rand();
    const int next = gfx::rand();

    gfx::srand(12345);
    const std::vector<Drop> drops = scatterDrops();
    ASSERT_EQ(drops.size(), 50u);
    EXPECT_EQ(drops[0].x, 0.5f * r1);
    EXPECT_EQ(drops[0].y, 0.5f * r2);
    EXPECT_EQ(drops[0].phase, (1.0f - (u1 * u2) * u3) * 2.5f - 0.9f);
    // 100 normals in pairs and 150 uniforms: 250 rand() calls, no spare left.
    EXPECT_FALSE(rndnSparePending());
    EXPECT_EQ(gfx::rand(), next);
}

TEST(DropMotion, ScatteredDropsAreTheSameEveryTimeAndWithinRange)
{
    if (rndnSparePending())
        rndn();
    const std::vector<Drop> first = scatterDrops();
    const std::vector<Drop> second = scatterDrops();
    ASSERT_EQ(first.size(), second.size());
    double sumSquares = 0.0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].x, second[i].x);
        EXPECT_EQ(first[i].phase, second[i].phase);
        EXPECT_GE(first[i].phase, -0.9f);
        EXPECT_LE(first[i].phase, 1.6f);
        sumSquares += first[i].x * first[i].x + first[i].y * first[i].y;
    }
    // Spread around the origin with a standard deviation of about 0.5.
    const double spread = std::sqrt(sumSquares / (2.0 * static_cast<double>(first.size())));
    EXPECT_GT(spread, 0.35);
    EXPECT_LT(spread, 0.65);
}
