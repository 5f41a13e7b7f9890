// Generating the running branch for one frame at the running off scene's last
// second (local 33 s, demo 70 s), when it is longest: 264 main steps with four
// side branches each. Into plain memory, so only the generation counts.

#include "scenes/runningoff/RunningBranch.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kLastSecond = 33.0f;

void BM_RunningBranchFrameGeneration(benchmark::State& state)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    std::vector<float> floats(static_cast<std::size_t>(RunningBranch::branchCapacity()));
    branching::BranchBuffer buffer{floats.data(), 0, static_cast<int>(floats.size())};
    for (auto _ : state) {
        RunningBranch::generateFrame(buffer, ground, kLastSecond);
        benchmark::DoNotOptimize(floats.data());
        benchmark::ClobberMemory();
    }
    state.counters["segments"] = buffer.used / branching::kFloatsPerSegment;
}
BENCHMARK(BM_RunningBranchFrameGeneration)->Unit(benchmark::kMicrosecond);

} // namespace
