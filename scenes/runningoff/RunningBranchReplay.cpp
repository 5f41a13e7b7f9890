#include "scenes/runningoff/RunningBranchReplay.h"

#include "growth/MainBranch.h"
#include "growth/ReplayBranches.h"
#include "scenes/runningoff/RunningBranch.h"

#include <cmath>

namespace {

constexpr growth::BranchKind kKind = growth::BranchKind::RunningBranch;
constexpr unsigned int kSeed = 0;
constexpr int kSideLevel = RunningBranch::kDepth - 1;
constexpr int kSideDraws = growth::generationDrawCount(kKind, kSideLevel);
constexpr int kSideBranches = 4;
constexpr float kStartX = 0.0f;
constexpr float kStartY = -0.2f;
constexpr float kStartAngle = -1.3f;
constexpr float kSegmentLength = 0.15f;

// One main step draws the length, the four side branches' draws, the walk.
void recordStep(growth::DrawTape::Recorder& tape)
{
    tape.normals(1 + kSideBranches * kSideDraws + 1);
}

// RunningBranch's steps of the main-branch loop, with the same operations, drawing from the tape.
struct ReplaySteps
{
    growth::TapeDraw draw;
    growth::ReplayBranches<kKind>& sides;
    const std::vector<float>& ground;
    float time;

    float steer(float x, float y, float angle) const
    {
        return RunningBranch::steerTowardsGround(angle, y - RunningBranch::groundHeightAt(ground, x));
    }

    growth::SegmentDirection direction(float angle) const { return {std::cos(angle), std::sin(angle)}; }

    void growSideBranches(const growth::MainBranchStep& s) const
    {
        RunningBranch::placeSideBranches(s, time, [this](int level, float growth, float x, float y, float angle,
                                                         float length) { sides.grow(level, growth, x, y, angle, length); });
    }
};

} // namespace

RunningBranchReplay::RunningBranchReplay(float longest)
{
    tape.record(kSeed, growth::mainBranchSteps(growth::mainBranchBudget(longest), 1 << 16), recordStep);
}

bool RunningBranchReplay::generate(growth::BranchBuffer& buffer, const std::vector<float>& ground, float t) const
{
    buffer.restart();
    const float budget = growth::mainBranchBudget(t);
    const int steps = growth::mainBranchSteps(budget, tape.steps() + 1);
    if (rndnSparePending() || steps > tape.steps())
        return false;

    const float* next = tape.draws();
    growth::ReplayBranches<kKind> sides(buffer, next, 0.0f);
    const ReplaySteps replay{growth::TapeDraw{next}, sides, ground, t};
    growth::generateMainBranch(buffer, replay, RunningBranch::kDepth, budget, kStartX, kStartY, kStartAngle,
                               kSegmentLength);
    if (growth::replayFellShort(buffer, sides.overflowed())) {
        buffer.restart();
        return false;
    }
    tape.restoreStateAfter(steps);
    return true;
}
