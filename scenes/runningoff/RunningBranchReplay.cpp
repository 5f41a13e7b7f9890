#include "scenes/runningoff/RunningBranchReplay.h"

#include "growth/MainBranch.h"
#include "growth/ReplayBranches.h"
#include "scenes/runningoff/RunningBranch.h"

#include <cmath>

namespace {

constexpr branching::BranchKind kKind = branching::BranchKind::RunningBranch;
constexpr unsigned int kSeed = 0;
constexpr int kSideLevel = RunningBranch::kDepth - 1;
constexpr int kSideDraws = branching::generationDrawCount(kKind, kSideLevel);
constexpr int kSideBranches = 4;
constexpr float kStartX = 0.0f;
constexpr float kStartY = -0.2f;
constexpr float kStartAngle = -1.3f;
constexpr float kSegmentLength = 0.15f;

// One main step draws the length, the four side branches' draws, the walk.
void recordStep(branching::DrawTape::Recorder& tape)
{
    tape.normals(1 + kSideBranches * kSideDraws + 1);
}

// RunningBranch's steps of the main-branch loop, with the same operations, drawing from the tape.
struct ReplaySteps
{
    branching::TapeDraw draw;
    branching::ReplayBranches<kKind>& sides;
    const std::vector<float>& ground;
    float time;

    float steer(float x, float y, float angle) const
    {
        return RunningBranch::steerTowardsGround(angle, y - RunningBranch::groundHeightAt(ground, x));
    }

    branching::SegmentDirection direction(float angle) const { return {std::cos(angle), std::sin(angle)}; }

    void growSideBranches(const branching::MainBranchStep& s) const
    {
        RunningBranch::placeSideBranches(s, time, [this](int level, float growth, float x, float y, float angle,
                                                         float length) { sides.grow(level, growth, x, y, angle, length); });
    }
};

} // namespace

RunningBranchReplay::RunningBranchReplay(float longest)
{
    tape.record(kSeed, branching::mainBranchSteps(branching::mainBranchBudget(longest), 1 << 16), recordStep);
}

bool RunningBranchReplay::generate(branching::BranchBuffer& buffer, const std::vector<float>& ground, float t) const
{
    buffer.restart();
    const float budget = branching::mainBranchBudget(t);
    const int steps = branching::mainBranchSteps(budget, tape.steps() + 1);
    if (rndnSparePending() || steps > tape.steps())
        return false;

    const float* next = tape.draws();
    branching::ReplayBranches<kKind> sides(buffer, next, 0.0f);
    const ReplaySteps replay{branching::TapeDraw{next}, sides, ground, t};
    branching::generateMainBranch(buffer, replay, RunningBranch::kDepth, budget, kStartX, kStartY, kStartAngle,
                               kSegmentLength);
    if (branching::replayFellShort(buffer, sides.overflowed())) {
        buffer.restart();
        return false;
    }
    tape.restoreStateAfter(steps);
    return true;
}
