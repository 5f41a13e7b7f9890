#include "growth/MainBranch.h"

#include <algorithm>

namespace branching {

namespace {

constexpr float kMainLengthSpread = 0.4f;
constexpr float kMainShortestFactor = 0.2f;
constexpr float kMainLongestFactor = 2.0f;
constexpr double kWalkTurn = 0.2;
constexpr float kSpeed = 1.2f;          // world units per second ...
constexpr float kNominalLength = 0.15f;  // ... in segments of this length

} // namespace

float mainSegmentLength(float r, float length)
{
    return std::min(std::max(1.0f + kMainLengthSpread * r, kMainShortestFactor), kMainLongestFactor) * length;
}

float walkedAngle(float angle, float r)
{
    // Double precision on purpose, then rounded: the heading carries on as a float.
    return static_cast<float>(static_cast<double>(angle) + kWalkTurn * static_cast<double>(r));
}

float mainBranchBudget(float t)
{
    return (kSpeed * t) / kNominalLength;
}

} // namespace branching
