// The growing tree scene's pure parts: its camera, and how fast the tree and
// its roots grow, from the first draw after their seed. (That every frame is
// the same whatever rand() held, and leaves the rndn() spare as it found it,
// the replay comparison checks: a replay declines with a spare pending.)

#include "BranchMemory.h"

#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"
#include "scenes/growingtree/GrowingTreeScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The length factor the first branch gets from the first draw after srand(0).
float firstLengthFactor()
{
    clearSpare();
    gfx::srand(0);
    const float r = rndn();
    rndn();
    return static_cast<float>(std::min(std::max(1.0 + 0.2 * r, 0.5), 1.5));
}

struct TreeFrame
{
    GrowingTreePrivate priv;
    Memory memory{priv.countBranches(priv.depth) * branching::kFloatsPerSegment};

    std::vector<float> at(float treeTime)
    {
        priv.buffer = memory.buffer;
        priv.generateTree(treeTime);
        return std::vector<float>(memory.floats.begin(), memory.floats.begin() + priv.buffer.used);
    }
};

const int kRootsCapacity =
    branching::countBranches(branching::BranchKind::GrowingRoots, GrowingRoots::kDepth) * branching::kFloatsPerSegment;

std::vector<float> rootsAt(float rootTime)
{
    Memory memory(kRootsCapacity);
    GrowingRoots::generateRoots(memory.buffer, rootTime);
    return memory.kept();
}

} // namespace

TEST(TreeFrames, GrowOneLevelEveryTwoAndAHalfSeconds)
{
    const float f = firstLengthFactor();
    TreeFrame frame;
    EXPECT_TRUE(frame.at(0.0f).empty());

    const std::vector<float> half = frame.at(1.25f);
    ASSERT_EQ(half.size(), 4u);
    EXPECT_EQ(half[0], 0.0f);
    EXPECT_EQ(half[1], 0.0f);
    EXPECT_NEAR(half[2], 0.0f, 1e-7);
    EXPECT_NEAR(half[3], 0.5f * 0.11875f * f, 1e-6);

    EXPECT_EQ(frame.at(2.5f).size(), 4u);
    // The whole tree grows with the top length: 0.175 at 5 s, 0.25 from 10 s on.
    EXPECT_EQ(frame.at(5.0f).size(), 4u * 4);
    EXPECT_NEAR(segmentLength(frame.at(5.0f), 0), 0.175f * f, 1e-6);
    EXPECT_NEAR(segmentLength(frame.at(10.0f), 0), 0.25f * f, 1e-6);
    EXPECT_NEAR(segmentLength(frame.at(13.0f), 0), 0.25f * f, 1e-6);
    EXPECT_EQ(frame.at(7.5f).size(), 4u * 13);
    EXPECT_EQ(frame.at(10.0f).size(), 4u * 40);
    EXPECT_EQ(frame.at(13.0f).size(), 4u * 40);
}

TEST(RootsFrames, GrowOneLevelEveryThreeAndAHalfSeconds)
{
    const float f = firstLengthFactor();
    EXPECT_TRUE(rootsAt(0.0f).empty());

    const std::vector<float> first = rootsAt(1.5f);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_NEAR(first[2], 0.0f, 1e-7);
    EXPECT_NEAR(first[3], -(7.0f * 0.06f) * 0.15f * f, 1e-6);

    // At the scene's end: 1 + 3 + 9 + 27 + 81 branches.
    EXPECT_EQ(rootsAt(16.0f).size(), 4u * 121);
}

// Rises from two below until it rests at 5 s; slides left from 17.7 s.
TEST(GrowingTreeCamera, RisesUntilFiveSecondsAndSlidesLeftFromSeventeenPointSeven)
{
    const struct
    {
        float t;
        GrowingTreeScene::Camera expected;  // a part that is absent is not compared
    } rows[] = {
        {-1.0f, {true, -2.0f, false, 0.0f}}, {0.0f, {true, -2.0f, false, 0.0f}}, {2.5f, {true, -1.0f, false, 0.0f}},
        {5.0f, {false, 0.0f, false, 0.0f}},  {17.7f, {false, 0.0f, false, 0.0f}}, {18.7f, {false, 0.0f, true, -1.2f}},
        {20.0f, {false, 0.0f, true, -2.76f}},
    };
    for (const auto& row : rows) {
        const GrowingTreeScene::Camera c = GrowingTreeScene::cameraAt(row.t);
        EXPECT_EQ(c.rises, row.expected.rises) << "t = " << row.t;
        EXPECT_EQ(c.slides, row.expected.slides) << "t = " << row.t;
        if (c.rises) {
            EXPECT_NEAR(c.y, row.expected.y, 1e-5) << "t = " << row.t;
        }
        if (c.slides) {
            EXPECT_NEAR(c.x, row.expected.x, 1e-5) << "t = " << row.t;
        }
    }
}
