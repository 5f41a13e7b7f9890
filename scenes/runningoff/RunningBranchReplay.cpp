#include "scenes/runningoff/RunningBranchReplay.h"

#include "growth/MainBranch.h"
#include "growth/replay/ReplayBranches.h"
#include "growth/replay/ReplayLayout.h"
#include "growth/replay/ReplayRun.h"
#include "scenes/runningoff/RunningBranch.h"

namespace {

constexpr branching::BranchKind kKind = branching::BranchKind::RunningBranch;
constexpr int kSideLevel = RunningBranch::kDepth - 1;
constexpr int kSideDraws = branching::generationDrawCount(kKind, kSideLevel);

// One main step draws the length, the side branches' draws, the walk.
void recordStep(branching::DrawTape::Recorder& tape)
{
    tape.normals(1 + RunningBranch::kSideBranchesPerStep * kSideDraws + 1);
}

} // namespace

RunningBranchReplay::RunningBranchReplay(float longest)
{
    tape.record(RunningBranch::kSeed, branching::mainBranchSteps(branching::mainBranchBudget(longest), 1 << 16),
                recordStep);
}

bool RunningBranchReplay::generate(branching::BranchBuffer& buffer, const std::vector<float>& ground, float t) const
{
    const float budget = branching::mainBranchBudget(t);
    const int steps = branching::startMainReplay(tape, buffer, budget);
    if (steps < 0)
        return false;
    const float* next = tape.draws();
    branching::ReplayBranches<kKind> sides(buffer, next, 0.0f);
    const RunningBranch::MainSteps<branching::TapeDraw, branching::ReplayBranches<kKind>> replay{
        branching::TapeDraw{next}, sides, ground, t};
    branching::generateMainBranch(buffer, replay, RunningBranch::kDepth, budget, RunningBranch::kStartX,
                                  RunningBranch::kStartY, RunningBranch::kStartAngle, RunningBranch::kSegmentLength);
    return branching::finishReplay(tape, steps, buffer, sides.overflowed());
}
