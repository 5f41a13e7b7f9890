// The branch components' frames as the program makes them every frame:
// reseeded, with the program's own normal draws, into plain memory.

#include "BranchMemory.h"

#include "scenes/crashframe/BranchFrame.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"
#include "scenes/runningoff/RunningBranch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using branching::BranchBuffer;

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

// Wherever rand() stood, a frame is the same; and its even count of normal
// draws leaves the spare of rndn() as it found it, pending or not.
TEST(BranchComponentFrames, RepeatAndLeaveTheSpareAsFound)
{
    TreeFrame tree;
    const std::vector<float> ground = RunningBranch::makeGround();
    const struct
    {
        const char* component;
        int capacity;
        std::vector<float> times;
        std::function<void(BranchBuffer&, float)> generate;
    } rows[] = {
        // Partial steps too: the count is even for every budget.
        {"branch frame", BranchFrame::branchCapacity(), {0.05f, 0.3f, 2.0f, 7.77f, 14.9f},
         [](BranchBuffer& b, float t) { BranchFrame::generateFrame(b, kFrameAngles[2], t); }},
        {"running branch", RunningBranch::branchCapacity(), {0.1f, 9.3f},
         [&ground](BranchBuffer& b, float t) { RunningBranch::generateFrame(b, ground, t); }},
        {"roots", kRootsCapacity, {12.0f}, [](BranchBuffer& b, float t) { GrowingRoots::generateRoots(b, t); }},
        {"tree", tree.memory.buffer.capacity, {11.3f},
         [&tree](BranchBuffer& b, float t) {
             tree.priv.buffer = b;
             tree.priv.generateTree(t);
             b = tree.priv.buffer;
         }},
    };
    for (const auto& row : rows) {
        for (float t : row.times) {
            Memory memory(row.capacity);
            clearSpare();
            row.generate(memory.buffer, t);
            EXPECT_FALSE(rndnSparePending()) << row.component << " at " << t;
            const std::vector<float> first = memory.kept();
            EXPECT_FALSE(first.empty()) << row.component << " at " << t;
            gfx::srand(99);
            gfx::rand();
            row.generate(memory.buffer, t);
            EXPECT_EQ(memory.kept(), first) << row.component << " at " << t;
            rndn();
            row.generate(memory.buffer, t);
            EXPECT_TRUE(rndnSparePending()) << row.component << " at " << t;
            rndn();
        }
    }
}
