// The geometry of the worst frames, at demo times 70 s (the running branch at
// its longest and the four branch frames at local 10 s) and 75 s (the four
// branch frames at their largest, about 112,000 segments): every component that
// regenerates in that frame, the straightforward way (rand(), log, sqrt and
// cos for every draw) and replayed from recorded draws, into plain memory;
// and replayed for a 1280x720 view and for a 3:4 one, which keep only what may
// be seen and pass over whole subtrees out of their reach. (The program itself
// makes even less at these two moments: at 70 s the black disk hides the
// running branch, and at 75 s the view is white and no branch is made at all.)

#include "gfx/Random.h"
#include "gfx/ViewWindow.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/BranchFrameReplay.h"
#include "scenes/runningoff/RunningBranch.h"
#include "scenes/runningoff/RunningBranchReplay.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

namespace {

constexpr std::array<float, 4> kFrameAngles = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

struct WorstFrame
{
    std::vector<float> ground = RunningBranch::makeGround();
    std::vector<float> runningFloats = std::vector<float>(static_cast<std::size_t>(RunningBranch::branchCapacity()));
    branching::BranchBuffer running{runningFloats.data(), 0, RunningBranch::branchCapacity()};
    std::array<std::vector<float>, 4> frameFloats;
    std::array<branching::BranchBuffer, 4> frames;
    RunningBranchReplay runningReplay{RunningBranch::kLongestTime};
    std::vector<std::unique_ptr<BranchFrameReplay>> frameReplays;

    WorstFrame()
    {
        for (std::size_t i = 0; i < 4; ++i) {
            frameFloats[i].resize(static_cast<std::size_t>(BranchFrame::branchCapacity()));
            frames[i] = {frameFloats[i].data(), 0, BranchFrame::branchCapacity()};
            frameReplays.push_back(std::make_unique<BranchFrameReplay>(kFrameAngles[i], BranchFrame::kLongestTime));
        }
    }

    // Local times of the running off scene (from 37 s) and the crash frame scene (from 60 s).
    void reference(float demoTime)
    {
        if (demoTime <= 70.0f)
            RunningBranch::generateFrame(running, ground, demoTime - 37.0f);
        for (std::size_t i = 0; i < 4; ++i)
            BranchFrame::generateFrame(frames[i], kFrameAngles[i], demoTime - 60.0f);
    }

    void replay(float demoTime, const gfx::ViewWindow& view)
    {
        if (demoTime <= 70.0f) {
            const float t = demoTime - 37.0f;
            running.begin(runningFloats.data(), view.movedBy(RunningBranch::cameraOffset(t), 0.0f));
            runningReplay.generate(running, ground, t);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            frames[i].begin(frameFloats[i].data(), view);
            frameReplays[i]->generate(frames[i], demoTime - 60.0f);
        }
    }

    // Segments stored for drawing (all of them but on the view's path).
    int kept(float demoTime) const
    {
        int count = demoTime <= 70.0f ? running.kept : 0;
        for (const branching::BranchBuffer& b : frames)
            count += b.kept;
        return count / branching::kFloatsPerSegment;
    }

    int segments(float demoTime) const
    {
        int count = demoTime <= 70.0f ? running.used : 0;
        for (const branching::BranchBuffer& b : frames)
            count += b.used;
        return count / branching::kFloatsPerSegment;
    }
};

// What a 1280x720 view shows, with the four-pixel margin the components add.
const gfx::ViewWindow kWideView = {-1.00625f, 1.00625f, -0.56875f, 0.56875f};
// What a 540x720 (3:4) view shows, margin included: taller, and more of the frame.
const gfx::ViewWindow kTallView = {-0.76111f, 0.76111f, -1.01111f, 1.01111f};

enum class Path { Straightforward, Replayed, ReplayedInView, ReplayedInTallView };

void runWorstFrame(benchmark::State& state, Path path)
{
    const float demoTime = static_cast<float>(state.range(0));
    WorstFrame frame;
    for (auto _ : state) {
        if (path == Path::Straightforward)
            frame.reference(demoTime);
        else if (path == Path::Replayed)
            frame.replay(demoTime, gfx::ViewWindow::everywhere());
        else
            frame.replay(demoTime, path == Path::ReplayedInView ? kWideView : kTallView);
        benchmark::ClobberMemory();
    }
    state.counters["segments"] = frame.segments(demoTime);
    state.counters["kept"] = frame.kept(demoTime);
    state.counters["ns_per_segment"] = benchmark::Counter(
        static_cast<double>(frame.segments(demoTime)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_WorstFrameGenerationStraightforward(benchmark::State& state)
{
    runWorstFrame(state, Path::Straightforward);
}
BENCHMARK(BM_WorstFrameGenerationStraightforward)->Arg(70)->Arg(75)->Unit(benchmark::kMicrosecond);

void BM_WorstFrameGenerationReplayed(benchmark::State& state)
{
    runWorstFrame(state, Path::Replayed);
}
BENCHMARK(BM_WorstFrameGenerationReplayed)->Arg(70)->Arg(75)->Unit(benchmark::kMicrosecond);

void BM_WorstFrameGenerationReplayedInView(benchmark::State& state)
{
    runWorstFrame(state, Path::ReplayedInView);
}
BENCHMARK(BM_WorstFrameGenerationReplayedInView)->Arg(70)->Arg(75)->Unit(benchmark::kMicrosecond);

void BM_WorstFrameGenerationReplayedInTallView(benchmark::State& state)
{
    runWorstFrame(state, Path::ReplayedInTallView);
}
BENCHMARK(BM_WorstFrameGenerationReplayedInTallView)->Arg(70)->Arg(75)->Unit(benchmark::kMicrosecond);

} // namespace
