#include "scenes/growingtree/GrowingRoots.h"

#include "gfx/Random.h"
#include "gfx/ShapeBuffers.h"
#include "growth/BranchGenerator.h"
#include "growth/BranchLines.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr float kStart = 4.0f;  // scene seconds before the roots appear
constexpr unsigned int kSeed = 0;
constexpr float kGrowthRate = 0.04f;  // full growth after 25 s, which the scene never reaches
constexpr float kLength = 0.15f;
constexpr float kDown = -1.5707964f;  // -pi/2 in single precision
constexpr branching::LineColour kLineColour = {1.0f, 1.0f, 1.0f, 0.75f};

} // namespace

GrowingRoots::GrowingRoots(const gfx::FastPaths& fastPaths)
    : paths(fastPaths)
{
    buffer.capacity = countBranches(depth) * branching::kFloatsPerSegment;
    bufferId = gfx::createStreamBuffer(buffer.capacity);
}

GrowingRoots::~GrowingRoots() = default;

int GrowingRoots::countBranches(int n) const
{
    return branching::countBranches(branching::BranchKind::GrowingRoots, n);
}

void GrowingRoots::generateBranches(int level, float growth, float x, float y, float angle, float length)
{
    branching::generateBranches(branching::BranchKind::GrowingRoots, buffer, 0.0f, level, growth, x, y, angle, length);
}

void GrowingRoots::generateRoots(branching::BranchBuffer& into, float rootTime)
{
    into.restart();
    gfx::srand(kSeed);
    const float g = std::min(kGrowthRate * rootTime, 1.0f);
    const float growthValue = static_cast<float>(kDepth) * g;
    branching::generateBranches(branching::BranchKind::GrowingRoots, into, 0.0f, kDepth, growthValue, 0.0f, 0.0f, kDown,
                             kLength);
}

GrowingRoots::Replay GrowingRoots::recordDraws()
{
    return Replay(kSeed, kDepth);
}

bool GrowingRoots::replayRoots(const Replay& replay, branching::BranchBuffer& into, float rootTime)
{
    const float g = std::min(kGrowthRate * rootTime, 1.0f);
    const float growthValue = static_cast<float>(kDepth) * g;
    return replay.generate(into, 0.0f, growthValue, 0.0f, 0.0f, kDown, kLength);
}

void GrowingRoots::draw(float t)
{
    const float rootTime = t - kStart;
    if (rootTime < 0.0f)
        return;

    // Every segment is kept: the roots are not culled.
    branching::regenerateLines(
        bufferId, buffer, gfx::ViewWindow::everywhere(), paths,
        [this, rootTime](branching::BranchBuffer& into) { return replayRoots(replay, into, rootTime); },
        [rootTime](branching::BranchBuffer& into) { generateRoots(into, rootTime); });
    branching::drawSmoothLines(bufferId, buffer, kLineColour);
}
