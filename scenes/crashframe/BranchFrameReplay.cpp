#include "scenes/crashframe/BranchFrameReplay.h"

#include "growth/MainBranch.h"
#include "growth/replay/ExactTrig.h"
#include "growth/replay/ReplayBranches.h"
#include "growth/replay/ReplayLayout.h"
#include "growth/replay/ReplayRun.h"
#include "scenes/crashframe/BranchFrame.h"

namespace {

constexpr branching::BranchKind kKind = branching::BranchKind::BranchFrame;
constexpr int kSideLevel = BranchFrame::kDepth - 1;
constexpr int kSideDraws = branching::generationDrawCount(kKind, kSideLevel);

// The order of one main step's draws: the length, the first sway rate, the
// first side branch, the second rate, the second side branch, the walk.
constexpr int kStepDraws = 4 + 2 * kSideDraws;
constexpr int kFirstSideOffset = 2;
constexpr int kSecondSideOffset = kFirstSideOffset + kSideDraws + 1;

void recordStep(branching::DrawTape::Recorder& tape)
{
    tape.normal();
    tape.uniform();
    tape.normals(kSideDraws);
    tape.uniform();
    tape.normals(kSideDraws);
    tape.normal();
}

// BranchFrame's steps of the main-branch loop, with the same operations, drawing from the tape.
struct ReplaySteps
{
    branching::TapeDraw draw;
    branching::ReplayBranches<kKind>& sides;
    float time;

    float steer(float x, float y, float angle) const { return BranchFrame::bendAlongCircle(x, y, angle); }

    branching::SegmentDirection direction(float angle) const
    {
        const branching::WidenedCosSin d = branching::widenedCosSin(angle);
        return {d.c, d.s};
    }

    void growSideBranches(const branching::MainBranchStep& s) const
    {
        BranchFrame::placeSideBranches(s, time, draw,
                                       [this](int level, float growth, float x, float y, float angle, float length) {
                                           sides.grow(level, growth, x, y, angle, length);
                                       });
    }
};

} // namespace

BranchFrameReplay::BranchFrameReplay(float angle, float longest)
    : startAngle(angle)
{
    tape.record(BranchFrame::seedFor(startAngle),
                branching::mainBranchSteps(branching::mainBranchBudget(longest), 1 << 16), recordStep);
    // The side branches' continuation turns, step by step.
    turns.reserve(static_cast<std::size_t>(tape.steps() * 2 * branching::continuationTurnCount(kKind, kSideLevel)));
    for (int step = 0; step < tape.steps(); ++step) {
        const float* draws = tape.draws() + step * kStepDraws;
        branching::collectContinuationTurns<kKind>(draws + kFirstSideOffset, kSideLevel, turns);
        branching::collectContinuationTurns<kKind>(draws + kSecondSideOffset, kSideLevel, turns);
    }
}

bool BranchFrameReplay::generate(branching::BranchBuffer& buffer, float t) const
{
    const float budget = branching::mainBranchBudget(t);
    const int steps = branching::startMainReplay(tape, buffer, budget);
    if (steps < 0)
        return false;
    const float* next = tape.draws();
    const branching::CosSinApprox* nextTurn = turns.data();
    branching::ReplayBranches<kKind> sides(buffer, next, t, &nextTurn);
    const ReplaySteps replay{branching::TapeDraw{next}, sides, t};
    branching::generateMainBranch(buffer, replay, BranchFrame::kDepth, budget, 0.0f, 0.0f, startAngle,
                                  BranchFrame::kSegmentLength);
    return branching::finishReplay(tape, steps, buffer, sides.overflowed());
}
