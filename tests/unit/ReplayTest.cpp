// The replayed generations against the straightforward ones they stand in for:
// the same floats, bit for bit, and the same random state afterwards, for every
// frame of the timeline at 60 frames per second; culled by a view window,
// exactly the segments of the full generation that meet it. Then the cases in
// which a replay must decline and leave the work to the reference.

#include "BranchMemory.h"

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
#include <string>
#include <vector>

using branching::BranchBuffer;

namespace {

constexpr int kFramesPerSecond = 60;

// Windows of a 16:9 and a 3:4 view with their margins, as the surface's
// projection gives them, and one off to the side.
const std::array<gfx::ViewWindow, 3> kWindows = {{{-1.00625f, 1.00625f, -0.56875f, 0.56875f},
                                                  {-0.7537f, 0.7537f, -1.0055f, 1.0055f},
                                                  {0.4f, 2.1f, -0.3f, 0.2f}}};

bool sameFloats(const BranchBuffer& a, const BranchBuffer& b)
{
    return a.used == b.used && a.kept == b.kept &&
           std::memcmp(a.vertices, b.vertices, static_cast<std::size_t>(a.kept) * sizeof(float)) == 0;
}

// The segments of a full generation whose bounding boxes meet the window, in order.
std::vector<float> segmentsMeeting(const BranchBuffer& full, const gfx::ViewWindow& window)
{
    std::vector<float> kept;
    for (int i = 0; i + branching::kFloatsPerSegment <= full.used; i += branching::kFloatsPerSegment) {
        const float* s = full.vertices + i;
        if (window.mayTouch(s[0], s[1], s[2], s[3]))
            kept.insert(kept.end(), s, s + branching::kFloatsPerSegment);
    }
    return kept;
}

float noPan(float)
{
    return 0.0f;
}

// Runs `reference` and `replay` (each: buffer, local time -> replay made it) on
// every frame of demo seconds [firstSecond, lastSecond] of a scene starting at `start`.
// Every frame must give the same floats and random state, whatever rand()
// held before the replay; every third frame, in each window (moved as the
// component pans its lines), exactly the segments that meet it, all counted.
// Returns how many frames differ and the first, or nothing.
template <class Reference, class Replay>
std::string differences(int capacity, float start, int firstSecond, int lastSecond, Reference reference, Replay replay,
                        float (*pan)(float) = noPan)
{
    clearSpare();
    Memory full(capacity);
    Memory replayed(capacity);
    int count = 0;
    std::string first;
    const auto differs = [&](float t, const char* how) {
        if (count++ == 0)
            first = ", the first at t = " + std::to_string(t) + how;
    };
    for (int n = firstSecond * kFramesPerSecond; n <= lastSecond * kFramesPerSecond; ++n) {
        const float t = static_cast<float>(n) / static_cast<float>(kFramesPerSecond) - start;
        reference(full.buffer, t);
        const gfx::RandomState afterReference = gfx::randomState();
        gfx::srand(12345);
        replayed.buffer.begin(replayed.floats.data());
        if (!replay(replayed.buffer, t) || !sameFloats(full.buffer, replayed.buffer) ||
            gfx::randomState() != afterReference)
            differs(t, "");
        for (std::size_t w = 0; n % 3 == 0 && w < kWindows.size(); ++w) {
            const gfx::ViewWindow window = kWindows[w].movedBy(pan(t), 0.0f);
            replayed.buffer.begin(replayed.floats.data(), window);
            if (!replay(replayed.buffer, t) || replayed.buffer.used != full.buffer.used ||
                replayed.kept() != segmentsMeeting(full.buffer, window))
                differs(t, " in a window");
        }
    }
    return count == 0 ? std::string() : std::to_string(count) + " frames differ" + first;
}

} // namespace

TEST(Replay, BranchFramesEqualTheReferenceInEveryFrameAndWindow)
{
    for (float angle : kFrameAngles) {
        const BranchFrameReplay replay(angle, BranchFrame::kLongestTime);
        EXPECT_EQ(differences(
                      BranchFrame::branchCapacity(), 60.0f, 60, 75,
                      [angle](BranchBuffer& b, float t) { BranchFrame::generateFrame(b, angle, t); },
                      [&replay](BranchBuffer& b, float t) { return replay.generate(b, t); }),
                  "")
            << "frame angle " << angle;
    }
}

TEST(Replay, RunningBranchEqualsTheReferenceInEveryFrameAndWindow)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    const RunningBranchReplay replay(RunningBranch::kLongestTime);
    EXPECT_EQ(differences(
                  RunningBranch::branchCapacity(), 37.0f, 37, 70,
                  [&ground](BranchBuffer& b, float t) { RunningBranch::generateFrame(b, ground, t); },
                  [&](BranchBuffer& b, float t) { return replay.generate(b, ground, t); }, RunningBranch::cameraOffset),
              "");
}

TEST(Replay, TreeAndRootsEqualTheReferenceInEveryFrameAndWindow)
{
    GrowingTreePrivate tree;
    const int treeCapacity = tree.countBranches(tree.depth) * branching::kFloatsPerSegment;
    // The tree grows from 7 s, the roots from 4 s into the scene at 20 s.
    EXPECT_EQ(differences(
                  treeCapacity, 27.0f, 27, 40,
                  [&tree](BranchBuffer& b, float t) {
                      tree.buffer = b;
                      tree.generateTree(t);
                      b = tree.buffer;
                  },
                  [&tree](BranchBuffer& b, float t) {
                      tree.buffer = b;
                      const bool made = tree.replayTree(t);
                      b = tree.buffer;
                      return made;
                  }),
              "")
        << "tree";
    const GrowingRoots::Replay roots = GrowingRoots::recordDraws();
    const int rootsCapacity = branching::countBranches(branching::BranchKind::GrowingRoots, GrowingRoots::kDepth) *
                              branching::kFloatsPerSegment;
    EXPECT_EQ(differences(
                  rootsCapacity, 24.0f, 24, 40, [](BranchBuffer& b, float t) { GrowingRoots::generateRoots(b, t); },
                  [&roots](BranchBuffer& b, float t) { return GrowingRoots::replayRoots(roots, b, t); }),
              "")
        << "roots";
}

// Recording draws nothing from the program's sequence; a replay declines,
// writing and drawing nothing, while a spare is pending and beyond the steps
// it recorded.
TEST(Replay, RecordsUnseenAndDeclinesWithASparePendingOrBeyondItsSteps)
{
    clearSpare();
    gfx::srand(3);
    rndn();  // leaves the sine of the pair pending
    const gfx::RandomState pending = gfx::randomState();
    const BranchFrameReplay replay(0.0f, 1.0f);  // eight steps recorded
    EXPECT_EQ(gfx::randomState(), pending) << "recording";
    Memory memory(BranchFrame::branchCapacity());
    EXPECT_FALSE(replay.generate(memory.buffer, 1.0f));
    EXPECT_EQ(memory.buffer.used, 0);
    EXPECT_EQ(gfx::randomState(), pending) << "declining";
    rndn();
    EXPECT_TRUE(replay.generate(memory.buffer, 1.0f));
    EXPECT_FALSE(replay.generate(memory.buffer, 1.2f));
    EXPECT_EQ(memory.buffer.used, 0);
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
