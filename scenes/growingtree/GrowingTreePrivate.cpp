#include "scenes/growingtree/GrowingTreePrivate.h"

#include "growth/BranchGenerator.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr unsigned int kSeed = 0;
constexpr float kGrowthRate = 0.1f;      // full growth after 10 s
constexpr float kTopLengthGain = 0.15f;  // the trunk grows from 0.1 ...
constexpr float kTopLengthBase = 0.1f;   // ... to 0.25 while the tree grows
constexpr float kUp = 1.5707964f;        // pi/2 in single precision

} // namespace

void GrowingTreePrivate::generateTree(float treeTime)
{
    time = treeTime;
    buffer.used = 0;
    std::srand(kSeed);
    const float g = std::min(kGrowthRate * treeTime, 1.0f);
    const float topLength = kTopLengthGain * g + kTopLengthBase;
    const float growthValue = static_cast<float>(depth) * g;
    generateBranches(depth, growthValue, 0.0f, 0.0f, kUp, topLength);
}

int GrowingTreePrivate::countBranches(int n) const
{
    return growth::countBranches(growth::BranchKind::GrowingTree, n);
}

void GrowingTreePrivate::generateBranches(int level, float growth, float x, float y, float angle, float length)
{
    growth::generateBranches(growth::BranchKind::GrowingTree, buffer, time, level, growth, x, y, angle, length);
}
