// Generating the four branch frames for one frame at the crash frame scene's
// last second (local 15 s, demo 75 s), when they are largest: 120 main steps
// each with two level-5 side branches. Into plain memory, so only the
// generation counts.

#include "scenes/crashframe/BranchFrame.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

constexpr float kLastSecond = 15.0f;
constexpr std::array<float, 4> kFrameAngles = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

void BM_CrashFrameFrameGeneration(benchmark::State& state)
{
    std::array<std::vector<float>, 4> floats;
    std::array<branching::BranchBuffer, 4> buffers;
    for (std::size_t i = 0; i < 4; ++i) {
        floats[i].resize(static_cast<std::size_t>(BranchFrame::branchCapacity()));
        buffers[i] = {floats[i].data(), 0, BranchFrame::branchCapacity()};
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < 4; ++i) {
            BranchFrame::generateFrame(buffers[i], kFrameAngles[i], kLastSecond);
            benchmark::DoNotOptimize(floats[i].data());
        }
        benchmark::ClobberMemory();
    }
    int segments = 0;
    for (const branching::BranchBuffer& b : buffers)
        segments += b.used / branching::kFloatsPerSegment;
    state.counters["segments"] = segments;
}
BENCHMARK(BM_CrashFrameFrameGeneration)->Unit(benchmark::kMicrosecond);

} // namespace
