#include "scenes/crashframe/BranchFrame.h"

#include "gfx/Random.h"
#include "gfx/ShapeBuffers.h"
#include "gfx/ViewWindow.h"
#include "growth/BranchLines.h"
#include "growth/MainBranch.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr float kBend = 0.8f;  // per segment outside the unit circle
constexpr branching::LineColour kLineColour = {1.0f, 1.0f, 1.0f, 0.75f};

// ---------------------------------------------------------------------------
// The branch frame's steps of the shared main-branch loop.

struct FrameSteps
{
    branching::NormalDraw draw;
    BranchFrame::UniformDraw uniform;
    branching::BranchBuffer& buffer;
    float time;

    float steer(float x, float y, float angle) const { return BranchFrame::bendAlongCircle(x, y, angle); }

    // Double precision of the widened angle, each rounded: unlike the running branch.
    branching::SegmentDirection direction(float angle) const
    {
        return {static_cast<float>(std::cos(static_cast<double>(angle))),
                static_cast<float>(std::sin(static_cast<double>(angle)))};
    }

    void growSideBranches(const branching::MainBranchStep& s) const
    {
        BranchFrame::placeSideBranches(s, time, uniform,
                                       [this](int level, float growth, float x, float y, float angle, float length) {
                                           grow(level, growth, x, y, angle, length);
                                       });
    }

    void grow(int level, float growth, float x, float y, float angle, float length) const
    {
        branching::generateBranches(branching::BranchKind::BranchFrame, buffer, 0.0f, level, growth, x, y, angle,
                                    length, draw);
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Pure pieces.

int BranchFrame::branchCapacity()
{
    return branching::countBranches(branching::BranchKind::BranchFrame, kDepth) * kSegmentsPerBranch *
           branching::kFloatsPerSegment;
}

unsigned int BranchFrame::seedFor(float startAngle)
{
    static_assert(sizeof(unsigned int) == sizeof(float), "the seed is the float's 32 bits");
    unsigned int bits = 0;
    std::memcpy(&bits, &startAngle, sizeof bits);
    return bits;
}

float BranchFrame::bendAlongCircle(float x, float y, float angle)
{
    // Single precision: the squared distance and the turn.
    return x * x + y * y > 1.0f ? angle + kBend : angle;
}

void BranchFrame::growMainBranch(branching::BranchBuffer& into, float time, int level, float growth, float x, float y,
                                 float angle, float length, branching::NormalDraw normal, UniformDraw uniform)
{
    const FrameSteps steps{normal, uniform, into, time};
    branching::generateMainBranch(into, steps, level, growth, x, y, angle, length);
}

void BranchFrame::generateFrame(branching::BranchBuffer& into, float startAngle, float t, branching::NormalDraw normal,
                                UniformDraw uniform)
{
    into.restart();
    gfx::srand(seedFor(startAngle));
    growMainBranch(into, t, kDepth, branching::mainBranchBudget(t), 0.0f, 0.0f, startAngle, kSegmentLength, normal,
                   uniform);
}

// ---------------------------------------------------------------------------
// The component.

BranchFrame::BranchFrame(float angle, const gfx::FastPaths& fastPaths)
    : paths(fastPaths), startAngle(angle), replay(angle, kLongestTime)
{
    buffer.capacity = countBranches(depth) * segmentsPerBranch * branching::kFloatsPerSegment;
    bufferId = gfx::createStreamBuffer(buffer.capacity);
}

BranchFrame::~BranchFrame() = default;

int BranchFrame::countBranches(int n) const
{
    return branching::countBranches(branching::BranchKind::BranchFrame, n);
}

void BranchFrame::generateBranches(int level, float growth, float x, float y, float angle, float length)
{
    branching::generateBranches(branching::BranchKind::BranchFrame, buffer, 0.0f, level, growth, x, y, angle, length);
}

void BranchFrame::generateMainBranch(int level, float growth, float x, float y, float angle, float length)
{
    growMainBranch(buffer, time, level, growth, x, y, angle, length);
}

void BranchFrame::draw(float t)
{
    time = t;
    // Lines that cannot reach the view are made but not stored.
    branching::regenerateLines(
        bufferId, buffer, gfx::visibleWindow(paths), paths,
        [this, t](branching::BranchBuffer& into) { return replay.generate(into, t); },
        [this, t](branching::BranchBuffer&) {
            gfx::srand(seedFor(startAngle));
            generateMainBranch(depth, branching::mainBranchBudget(t), 0.0f, 0.0f, startAngle, kSegmentLength);
        });
    branching::drawSmoothLines(bufferId, buffer, kLineColour);
}
