// Prints a hash of every branch component's vertices at a few demo times, made
// the straightforward way and replayed from recorded draws. tools/check-fma.sh
// runs it from two builds (one allowed to fuse a*b+c) and requires the same
// lines: a single rounding changed anywhere shows up as a different hash.

#include "unit/BranchMemory.h"

#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/BranchFrameReplay.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"
#include "scenes/runningoff/RunningBranch.h"
#include "scenes/runningoff/RunningBranchReplay.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const int kRootsCapacity =
    branching::countBranches(branching::BranchKind::GrowingRoots, GrowingRoots::kDepth) * branching::kFloatsPerSegment;

// FNV-1a over the count and the bit patterns of the stored floats.
void print(const char* what, bool replayed, float t, bool made, const branching::BranchBuffer& b)
{
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](const void* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= static_cast<const unsigned char*>(bytes)[i];
            hash *= 1099511628211ull;
        }
    };
    mix(&b.used, sizeof b.used);
    mix(b.vertices, sizeof(float) * static_cast<std::size_t>(b.kept));
    std::printf("%-14s %-15s %6.2f s %7d segments %016llx%s\n", what, replayed ? "replayed" : "straightforward",
                static_cast<double>(t), b.used / branching::kFloatsPerSegment, static_cast<unsigned long long>(hash),
                made ? "" : " (replay declined)");
}

} // namespace

int main()
{
    GrowingTreePrivate tree;
    tree.buffer.capacity = tree.countBranches(tree.depth) * branching::kFloatsPerSegment;
    Memory treeMemory(tree.buffer.capacity);
    const GrowingRoots::Replay rootsReplay = GrowingRoots::recordDraws();
    Memory roots(kRootsCapacity);
    for (float t : {28.0f, 32.0f, 36.0f, 40.0f}) {
        for (bool replayed : {false, true}) {
            tree.buffer = treeMemory.buffer;
            const bool treeMade = replayed ? tree.replayTree(t - 27.0f) : (tree.generateTree(t - 27.0f), true);
            print("growing tree", replayed, t, treeMade, tree.buffer);
            const bool rootsMade = replayed ? GrowingRoots::replayRoots(rootsReplay, roots.buffer, t - 24.0f)
                                            : (GrowingRoots::generateRoots(roots.buffer, t - 24.0f), true);
            print("growing roots", replayed, t, rootsMade, roots.buffer);
        }
    }

    const std::vector<float> ground = RunningBranch::makeGround();
    const RunningBranchReplay runningReplay(RunningBranch::kLongestTime);
    Memory running(RunningBranch::branchCapacity());
    for (float t = 45.0f; t <= 70.0f; t += 5.0f) {
        for (bool replayed : {false, true}) {
            const bool made = replayed ? runningReplay.generate(running.buffer, ground, t - 37.0f)
                                       : (RunningBranch::generateFrame(running.buffer, ground, t - 37.0f), true);
            print("running branch", replayed, t, made, running.buffer);
        }
    }

    Memory frame(BranchFrame::branchCapacity());
    for (float angle : kFrameAngles) {
        const BranchFrameReplay frameReplay(angle, BranchFrame::kLongestTime);
        for (float t = 62.0f; t <= 75.0f; t += 3.25f) {
            for (bool replayed : {false, true}) {
                const bool made = replayed ? frameReplay.generate(frame.buffer, t - 60.0f)
                                           : (BranchFrame::generateFrame(frame.buffer, angle, t - 60.0f), true);
                print("branch frame", replayed, t, made, frame.buffer);
            }
        }
    }
    return 0;
}
