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

// A drop of phase 1.2: it emerges at 12 s.
const Drop kDrop{0.3f, -0.2f, 1.2f};

} // namespace

TEST(DropMotion, EmergesAtTwelveAndGrowsBlinkingWhiteThenBlack)
{
    EXPECT_EQ(emergenceTime(kDrop.phase), 12.0f);
    DropPose pose{};
    EXPECT_FALSE(dropPoseAt(kDrop, 11.99f, pose));
    ASSERT_TRUE(dropPoseAt(kDrop, 12.0f, pose));
    EXPECT_EQ(pose.scale, 0.0f);

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
    EXPECT_NEAR(pose.x / kDrop.x, 0.88692f, 1e-5f);  // drifting in by e^-0.12
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

// The zoom doubles over 15 s; from 15 s on (the zoom then kept at 1) the view
// lifts and the settle zoom takes over from 2 towards 0.8.
TEST(DropMotion, CameraZoomsInUntilFifteenThenScrollsUpAndZoomsOut)
{
    const struct
    {
        float t;
        bool scrolls;
        float zoom, lift, settleZoom;
    } rows[] = {
        {-3.0f, false, 1.0f, 0.0f, 1.0f},
        {0.0f, false, 1.0f, 0.0f, 1.0f},
        {7.5f, false, 1.5f, 0.0f, 1.0f},
        {std::nextafter(15.0f, 0.0f), false, 2.0f, 0.0f, 1.0f},
        {15.0f, true, 1.0f, 0.0f, 2.0f},
        {std::nextafter(15.0f, 16.0f), true, 1.0f, 0.0f, 2.0f},
        {16.0f, true, 1.0f, 0.2f, 1.24146f},  // 0.8 + 1.2 / e
        {35.0f, true, 1.0f, 4.0f, 0.8f},
    };
    for (const auto& row : rows) {
        const CameraPose c = cameraPoseAt(row.t);
        EXPECT_EQ(c.scrolls, row.scrolls) << "t = " << row.t;
        EXPECT_NEAR(c.zoom, row.zoom, 1e-6f) << "t = " << row.t;
        EXPECT_NEAR(c.lift, row.lift, 1e-6f) << "t = " << row.t;
        EXPECT_NEAR(c.settleZoom, row.settleZoom, 1e-5f) << "t = " << row.t;
    }
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
