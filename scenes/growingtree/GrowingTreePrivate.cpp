#include "scenes/growingtree/GrowingTreePrivate.h"

#include "gfx/Random.h"
#include "growth/BranchGenerator.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr unsigned int kSeed = 0;
constexpr float kGrowthRate = 0.1f;      // full growth after 10 s
constexpr float kTopLengthGain = 0.15f;  // the trunk grows from 0.1 ...
constexpr float kTopLengthBase = 0.1f;   // ... to 0.25 while the tree grows
constexpr float kUp = 1.5707964f;        // pi/2 in single precision
constexpr int kDepth = 4;

// The trunk's growth value and length at tree time T.
struct TreeStart
{
    float growthValue;
    float topLength;
};

TreeStart treeStartAt(float treeTime, int depth)
{
    const float g = std::min(kGrowthRate * treeTime, 1.0f);
    const float topLength = kTopLengthGain * g + kTopLengthBase;
    const float growthValue = static_cast<float>(depth) * g;
    return {growthValue, topLength};
}

} // namespace

void GrowingTreePrivate::generateTree(float treeTime)
{
    time = treeTime;
    buffer.restart();
    gfx::srand(kSeed);
    const TreeStart start = treeStartAt(treeTime, depth);
    generateBranches(depth, start.growthValue, 0.0f, 0.0f, kUp, start.topLength);
}

bool GrowingTreePrivate::replayTree(float treeTime)
{
    if (depth != kDepth)
        return false;
    time = treeTime;
    const TreeStart start = treeStartAt(treeTime, depth);
    return replay.generate(buffer, time, start.growthValue, 0.0f, 0.0f, kUp, start.topLength);
}

branching::GenerationReplay<branching::BranchKind::GrowingTree> GrowingTreePrivate::recordDraws()
{
    return branching::GenerationReplay<branching::BranchKind::GrowingTree>(kSeed, kDepth);
}

int GrowingTreePrivate::countBranches(int n) const
{
    return branching::countBranches(branching::BranchKind::GrowingTree, n);
}

void GrowingTreePrivate::generateBranches(int level, float growth, float x, float y, float angle, float length)
{
    branching::generateBranches(branching::BranchKind::GrowingTree, buffer, time, level, growth, x, y, angle, length);
}
