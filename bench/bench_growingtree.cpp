// Generating the growing tree and its roots for one frame at the scene's last
// second (local time 20 s, demo time 40 s), when both are largest: the tree
// fully grown (40 branches), the roots at 121 written of 1093 visited branches
// with their 2186 normal draws. Into plain memory, so only the generation counts.

#include "growth/BranchGenerator.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTreePrivate.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kSceneTime = 20.0f;
constexpr float kTreeTime = kSceneTime - 7.0f;
constexpr float kRootTime = kSceneTime - 4.0f;

struct Buffers
{
    GrowingTreePrivate tree;
    std::vector<float> treeFloats;
    std::vector<float> rootFloats;
    branching::BranchBuffer roots;

    Buffers()
    {
        tree.buffer.capacity = tree.countBranches(tree.depth) * branching::kFloatsPerSegment;
        treeFloats.resize(static_cast<std::size_t>(tree.buffer.capacity));
        tree.buffer.vertices = treeFloats.data();
        const int rootCapacity = branching::countBranches(branching::BranchKind::GrowingRoots, GrowingRoots::kDepth) *
                                 branching::kFloatsPerSegment;
        rootFloats.resize(static_cast<std::size_t>(rootCapacity));
        roots = {rootFloats.data(), 0, rootCapacity};
    }
};

void BM_GrowingTreeFrameGeneration(benchmark::State& state)
{
    Buffers b;
    for (auto _ : state) {
        b.tree.generateTree(kTreeTime);
        GrowingRoots::generateRoots(b.roots, kRootTime);
        benchmark::DoNotOptimize(b.treeFloats.data());
        benchmark::DoNotOptimize(b.rootFloats.data());
    }
    state.counters["treeSegments"] = b.tree.buffer.used / 4;
    state.counters["rootSegments"] = b.roots.used / 4;
}
BENCHMARK(BM_GrowingTreeFrameGeneration)->Unit(benchmark::kMicrosecond);

void BM_TreeGeneration(benchmark::State& state)
{
    Buffers b;
    for (auto _ : state) {
        b.tree.generateTree(kTreeTime);
        benchmark::DoNotOptimize(b.treeFloats.data());
    }
}
BENCHMARK(BM_TreeGeneration)->Unit(benchmark::kMicrosecond);

void BM_RootsGeneration(benchmark::State& state)
{
    Buffers b;
    for (auto _ : state) {
        GrowingRoots::generateRoots(b.roots, kRootTime);
        benchmark::DoNotOptimize(b.rootFloats.data());
    }
}
BENCHMARK(BM_RootsGeneration)->Unit(benchmark::kMicrosecond);

} // namespace
