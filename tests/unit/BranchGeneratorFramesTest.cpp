// The generator as the growing tree and its roots run it every frame: reseeded,
// with the program's own normal draws, into plain memory.

#include "gfx/Random.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Leaves no spare pending, whatever the state before.
void clearSpare()
{
    if (rndnSparePending())
        rndn();
}

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
    std::vector<float> floats;
    GrowingTreePrivate priv;

    TreeFrame()
    {
        priv.buffer.capacity = priv.countBranches(priv.depth) * 4;
        floats.assign(static_cast<std::size_t>(priv.buffer.capacity), -1.0f);
        priv.buffer.vertices = floats.data();
    }
    std::vector<float> at(float treeTime)
    {
        priv.generateTree(treeTime);
        return std::vector<float>(floats.begin(), floats.begin() + priv.buffer.used);
    }
};

struct RootsFrame
{
    std::vector<float> floats = std::vector<float>(39364, -1.0f);
    branching::BranchBuffer buffer{floats.data(), 0, 39364};

    std::vector<float> at(float rootTime)
    {
        GrowingRoots::generateRoots(buffer, rootTime);
        return std::vector<float>(floats.begin(), floats.begin() + buffer.used);
    }
};

float length(const std::vector<float>& f, std::size_t segment)
{
    const float* s = f.data() + 4 * segment;
    return std::hypot(s[2] - s[0], s[3] - s[1]);
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
    EXPECT_NEAR(length(frame.at(5.0f), 0), 0.175f * f, 1e-6);
    EXPECT_NEAR(length(frame.at(10.0f), 0), 0.25f * f, 1e-6);
    EXPECT_EQ(frame.at(7.5f).size(), 4u * 13);
    EXPECT_EQ(frame.at(10.0f).size(), 4u * 40);
    EXPECT_EQ(frame.at(13.0f).size(), 4u * 40);
}

TEST(TreeFrames, SameTimeGivesIdenticalBuffers)
{
    TreeFrame frame;
    const std::vector<float> first = frame.at(11.3f);
    gfx::srand(99);
    rndn();
    rndn();
    EXPECT_EQ(frame.at(11.3f), first);
}

TEST(TreeFrames, GrownTreeKeepsItsShapeAndOnlySways)
{
    TreeFrame frame;
    const std::vector<float> a = frame.at(10.0f);
    const std::vector<float> b = frame.at(12.7f);
    ASSERT_EQ(a.size(), b.size());
    // The trunk does not sway; every branch keeps its length.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], b[i]);
    bool moved = false;
    for (std::size_t s = 0; s < a.size() / 4; ++s) {
        EXPECT_NEAR(length(a, s), length(b, s), 1e-6) << "segment " << s;
        moved = moved || std::fabs(a[4 * s + 2] - b[4 * s + 2]) > 1e-4f;
    }
    EXPECT_TRUE(moved) << "the branches should sway between the two frames";
}

TEST(TreeFrames, GenerationLeavesTheSpareAsItFoundIt)
{
    TreeFrame frame;
    clearSpare();
    frame.at(12.0f);
    EXPECT_FALSE(rndnSparePending());
    rndn();
    frame.at(12.0f);
    EXPECT_TRUE(rndnSparePending());
    rndn();
}

TEST(RootsFrames, GrowOneLevelEveryThreeAndAHalfSeconds)
{
    const float f = firstLengthFactor();
    RootsFrame frame;
    EXPECT_TRUE(frame.at(0.0f).empty());

    const std::vector<float> first = frame.at(1.5f);
    ASSERT_EQ(first.size(), 4u);
    EXPECT_NEAR(first[2], 0.0f, 1e-7);
    EXPECT_NEAR(first[3], -(7.0f * 0.06f) * 0.15f * f, 1e-6);

    // At the scene's end: 1 + 3 + 9 + 27 + 81 branches.
    EXPECT_EQ(frame.at(16.0f).size(), 4u * 121);
}

TEST(RootsFrames, SameTimeGivesIdenticalBuffersAndEvenDraws)
{
    RootsFrame frame;
    clearSpare();
    const std::vector<float> first = frame.at(12.0f);
    EXPECT_FALSE(rndnSparePending());
    gfx::srand(7);
    EXPECT_EQ(frame.at(12.0f), first);
    // A later frame only adds branches: what was grown before stays put, in pre-order.
    const std::vector<float> later = frame.at(15.0f);
    EXPECT_GT(later.size(), first.size());
    EXPECT_EQ(std::vector<float>(later.begin(), later.begin() + 4), std::vector<float>(first.begin(), first.begin() + 4));
}
