// The replayed generations against the straightforward ones they stand in for:
// the same floats, bit for bit, and the same random state afterwards, for every
// frame of the timeline at 60 frames per second; and the cases in which a replay
// must decline and leave the work to the reference.

#include "gfx/Random.h"
#include "gfx/ViewWindow.h"
#include "growth/replay/ExactTrig.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/BranchFrameReplay.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"
#include "scenes/runningoff/RunningBranch.h"
#include "scenes/runningoff/RunningBranchReplay.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kFramesPerSecond = 60;
constexpr int kLastFrame = 75 * kFramesPerSecond;
constexpr std::array<float, 4> kFrameAngles = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

void clearSpare()
{
    if (rndnSparePending())
        rndn();
}

// Plain memory standing in for a mapped branch buffer; filled with a marker so
// stale floats would show.
struct Memory
{
    std::vector<float> floats;
    branching::BranchBuffer buffer;

    explicit Memory(int capacity) : floats(static_cast<std::size_t>(capacity), -7.0f)
    {
        buffer = {floats.data(), 0, capacity};
    }
};

bool sameFloats(const branching::BranchBuffer& a, const branching::BranchBuffer& b)
{
    return a.used == b.used && a.kept == b.kept &&
           std::memcmp(a.vertices, b.vertices, static_cast<std::size_t>(a.kept) * sizeof(float)) == 0;
}

// The segments of a full generation whose bounding boxes meet the window, in order.
std::vector<float> segmentsMeeting(const branching::BranchBuffer& full, const gfx::ViewWindow& window)
{
    std::vector<float> kept;
    for (int i = 0; i + branching::kFloatsPerSegment <= full.used; i += branching::kFloatsPerSegment) {
        const float* s = full.vertices + i;
        if (window.mayTouch(s[0], s[1], s[2], s[3]))
            kept.insert(kept.end(), s, s + branching::kFloatsPerSegment);
    }
    return kept;
}

std::vector<float> keptFloats(const branching::BranchBuffer& buffer)
{
    return std::vector<float>(buffer.vertices, buffer.vertices + buffer.kept);
}

// Windows of a 16:9 and a 3:4 view with their margins, as the surface's
// projection gives them, and one off to the side.
const std::array<gfx::ViewWindow, 3> kWindows = {{{-1.00625f, 1.00625f, -0.56875f, 0.56875f},
                                                  {-0.7537f, 0.7537f, -1.0055f, 1.0055f},
                                                  {0.4f, 2.1f, -0.3f, 0.2f}}};

// Local time of a scene starting at `start` in frame n, as the schedule computes it.
float localTime(int frame, float start)
{
    return static_cast<float>(frame) / static_cast<float>(kFramesPerSecond) - start;
}

} // namespace

TEST(Replay, BranchFramesEqualTheReferenceInEveryFrame)
{
    clearSpare();
    for (float angle : kFrameAngles) {
        const BranchFrameReplay replay(angle, BranchFrame::kLongestTime);
        Memory reference(BranchFrame::branchCapacity());
        Memory replayed(BranchFrame::branchCapacity());
        int mismatches = 0;
        for (int n = 60 * kFramesPerSecond; n <= kLastFrame; ++n) {
            const float t = localTime(n, 60.0f);
            BranchFrame::generateFrame(reference.buffer, angle, t);
            const gfx::RandomState afterReference = gfx::randomState();
            gfx::srand(12345);  // the replay must not depend on where rand() stands
            ASSERT_TRUE(replay.generate(replayed.buffer, t)) << "t = " << t;
            if (!sameFloats(reference.buffer, replayed.buffer) || gfx::randomState() != afterReference)
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0) << "frame angle " << angle;
    }
}

// Culling while replaying (whole subtrees out of reach are passed over) keeps
// exactly the segments the full generation has in the window, and counts all.
TEST(Replay, BranchFramesInAWindowKeepExactlyTheSegmentsThatMeetIt)
{
    clearSpare();
    for (float angle : kFrameAngles) {
        const BranchFrameReplay replay(angle, BranchFrame::kLongestTime);
        Memory reference(BranchFrame::branchCapacity());
        Memory replayed(BranchFrame::branchCapacity());
        int mismatches = 0;
        for (int n = 60 * kFramesPerSecond; n <= kLastFrame; n += 3) {
            const float t = localTime(n, 60.0f);
            BranchFrame::generateFrame(reference.buffer, angle, t);
            for (const gfx::ViewWindow& window : kWindows) {
                replayed.buffer.begin(replayed.floats.data(), window);
                ASSERT_TRUE(replay.generate(replayed.buffer, t)) << "t = " << t;
                if (replayed.buffer.used != reference.buffer.used ||
                    keptFloats(replayed.buffer) != segmentsMeeting(reference.buffer, window))
                    ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0) << "frame angle " << angle;
    }
}

TEST(Replay, RunningBranchInAWindowKeepsExactlyTheSegmentsThatMeetIt)
{
    clearSpare();
    const std::vector<float> ground = RunningBranch::makeGround();
    const RunningBranchReplay replay(RunningBranch::kLongestTime);
    Memory reference(RunningBranch::branchCapacity());
    Memory replayed(RunningBranch::branchCapacity());
    int mismatches = 0;
    for (int n = 37 * kFramesPerSecond; n <= 70 * kFramesPerSecond; n += 3) {
        const float t = localTime(n, 37.0f);
        RunningBranch::generateFrame(reference.buffer, ground, t);
        // The running branch pans left: the window follows it as the program's does.
        for (const gfx::ViewWindow& view : kWindows) {
            const gfx::ViewWindow window = view.movedBy(RunningBranch::cameraOffset(t), 0.0f);
            replayed.buffer.begin(replayed.floats.data(), window);
            ASSERT_TRUE(replay.generate(replayed.buffer, ground, t)) << "t = " << t;
            if (replayed.buffer.used != reference.buffer.used ||
                keptFloats(replayed.buffer) != segmentsMeeting(reference.buffer, window))
                ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Replay, RunningBranchEqualsTheReferenceInEveryFrame)
{
    clearSpare();
    const std::vector<float> ground = RunningBranch::makeGround();
    const RunningBranchReplay replay(RunningBranch::kLongestTime);
    Memory reference(RunningBranch::branchCapacity());
    Memory replayed(RunningBranch::branchCapacity());
    int mismatches = 0;
    for (int n = 37 * kFramesPerSecond; n <= 70 * kFramesPerSecond; ++n) {
        const float t = localTime(n, 37.0f);
        RunningBranch::generateFrame(reference.buffer, ground, t);
        const gfx::RandomState afterReference = gfx::randomState();
        gfx::srand(12345);
        ASSERT_TRUE(replay.generate(replayed.buffer, ground, t)) << "t = " << t;
        if (!sameFloats(reference.buffer, replayed.buffer) || gfx::randomState() != afterReference)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Replay, TreeAndRootsEqualTheReferenceInEveryFrame)
{
    clearSpare();
    GrowingTreePrivate tree;
    tree.buffer.capacity = tree.countBranches(tree.depth) * branching::kFloatsPerSegment;
    Memory treeReference(tree.buffer.capacity);
    Memory treeReplayed(tree.buffer.capacity);
    const GrowingRoots::Replay rootsReplay = GrowingRoots::recordDraws();
    const int rootsCapacity = 39364;
    Memory rootsReference(rootsCapacity);
    Memory rootsReplayed(rootsCapacity);
    int mismatches = 0;
    for (int n = 20 * kFramesPerSecond; n <= 40 * kFramesPerSecond; ++n) {
        const float t = localTime(n, 20.0f);
        if (t - 7.0f >= 0.0f) {
            tree.buffer = treeReference.buffer;
            tree.generateTree(t - 7.0f);
            const branching::BranchBuffer reference = tree.buffer;
            const gfx::RandomState afterReference = gfx::randomState();
            tree.buffer = treeReplayed.buffer;
            ASSERT_TRUE(tree.replayTree(t - 7.0f));
            if (!sameFloats(reference, tree.buffer) || gfx::randomState() != afterReference)
                ++mismatches;
        }
        if (t - 4.0f >= 0.0f) {
            GrowingRoots::generateRoots(rootsReference.buffer, t - 4.0f);
            const gfx::RandomState afterReference = gfx::randomState();
            gfx::srand(99);
            ASSERT_TRUE(GrowingRoots::replayRoots(rootsReplay, rootsReplayed.buffer, t - 4.0f));
            if (!sameFloats(rootsReference.buffer, rootsReplayed.buffer) || gfx::randomState() != afterReference)
                ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Replay, DeclinesWhileAnRndnSpareIsPending)
{
    clearSpare();
    const BranchFrameReplay replay(1.5707964f, 2.0f);
    Memory memory(BranchFrame::branchCapacity());
    gfx::srand(3);
    rndn();  // leaves the sine of the pair pending
    const gfx::RandomState before = gfx::randomState();
    EXPECT_FALSE(replay.generate(memory.buffer, 1.0f));
    EXPECT_EQ(memory.buffer.used, 0);
    EXPECT_EQ(gfx::randomState(), before);
    rndn();
}

TEST(Replay, DeclinesBeyondTheRecordedSteps)
{
    clearSpare();
    const BranchFrameReplay frame(0.0f, 1.0f);  // eight steps recorded
    Memory frameMemory(BranchFrame::branchCapacity());
    EXPECT_TRUE(frame.generate(frameMemory.buffer, 1.0f));
    EXPECT_FALSE(frame.generate(frameMemory.buffer, 1.2f));
    EXPECT_EQ(frameMemory.buffer.used, 0);
}

TEST(Replay, DeclinesWhenTheBufferWouldFillUp)
{
    clearSpare();
    const std::vector<float> ground = RunningBranch::makeGround();
    const RunningBranchReplay replay(5.0f);
    // Room for the branch at 5 s, exactly, and with one segment to spare.
    Memory roomy(RunningBranch::branchCapacity());
    RunningBranch::generateFrame(roomy.buffer, ground, 5.0f);
    const int needed = roomy.buffer.used;
    Memory exact(needed);
    EXPECT_FALSE(replay.generate(exact.buffer, ground, 5.0f));
    EXPECT_EQ(exact.buffer.used, 0);
    Memory spare(needed + branching::kFloatsPerSegment);
    EXPECT_TRUE(replay.generate(spare.buffer, ground, 5.0f));
    // Far too small: the replay stops at the capacity and declines.
    Memory tiny(40);
    EXPECT_FALSE(replay.generate(tiny.buffer, ground, 5.0f));
}

TEST(Replay, RecordingLeavesTheRandomSequenceWhereItWas)
{
    clearSpare();
    gfx::srand(2);
    rndn();
    const gfx::RandomState before = gfx::randomState();
    const BranchFrameReplay replay(3.1415927f, 3.0f);
    EXPECT_EQ(gfx::randomState(), before);
    rndn();
}

TEST(ExactTrig, WidenedCosSinEqualsTheLibraryRounded)
{
    // A dense sweep over the angles the generators meet, and the awkward ones:
    // near multiples of pi/2, zero, huge, infinite and NaN.
    std::vector<float> angles;
    for (int i = -2000000; i <= 2000000; ++i)
        angles.push_back(static_cast<float>(i) * 5e-5f);
    for (int k = -64; k <= 64; ++k) {
        const float a = static_cast<float>(k * 1.5707963267948966);
        angles.push_back(a);
        angles.push_back(std::nextafter(a, 1e9f));
        angles.push_back(std::nextafter(a, -1e9f));
    }
    for (float a : {0.0f, -0.0f, 1e-30f, 3e5f, 1.5e6f, 1e30f, -1e30f, INFINITY, NAN})
        angles.push_back(a);
    int mismatches = 0;
    for (float a : angles) {
        const branching::WidenedCosSin d = branching::widenedCosSin(a);
        const float c = static_cast<float>(std::cos(static_cast<double>(a)));
        const float s = static_cast<float>(std::sin(static_cast<double>(a)));
        if (std::memcmp(&d.c, &c, sizeof c) != 0 || std::memcmp(&d.s, &s, sizeof s) != 0)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}
