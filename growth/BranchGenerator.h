#pragma once

// The recursive branch generator behind every tree-like shape: the growing tree
// and its roots, the side branches of the running branch and of the branch
// frame. One engine, driven by a small table of per-kind constants.
//
// API
//   countBranches(kind, n)     the sizing rule of a kind's buffer
//   generateBranches(kind, buffer, time, level, growth, x, y, angle, length, draw)
//                              appends one branch and its subtree to `buffer`
//
// A component forwards its own members to these with its kind, for example
//
//   void RunningBranch::generateBranches(int level, float growth, float x, float y,
//                                        float angle, float length)
//   {
//       branching::generateBranches(branching::BranchKind::RunningBranch, buffer, 0.0f,
//                                level, growth, x, y, angle, length);
//   }
//
// Each branch makes up to three children: two side branches leaving one third
// and two thirds along it, and a continuation from its tip, each one level
// lower and with growth reduced by 1. A branch is written only while its growth
// is above 0, at full length from 1 on and scaled by its growth below that, so
// a structure grows one level per unit of growth. Segments come in depth-first
// pre-order.
//
// Random draws: every branch that passes the entry checks draws its length
// factor, and in all kinds but the tree a second value for the continuation's
// angle, drawn after the first two subtrees are complete and made even when the
// continuation does nothing. The draw count therefore depends only on `level`
// (and on the buffer not running out), never on growth: a generation at level n
// makes (3^n - 1) / 2 draws for the tree and 3^n - 1 for the other kinds.
//
// Capacity: the check runs at the entry of every branch, the continuation
// included. Once the buffer is full every further branch returns at entry
// without drawing; branches already under way still make their second draw.
// Nothing is written beyond `capacity`.
//
// The generator keeps no state, allocates nothing and recurses no deeper than
// `level`.

#include "gfx/Random.h"
#include "growth/BranchBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace branching {

enum class BranchKind { GrowingTree, GrowingRoots, RunningBranch, BranchFrame };

// The per-kind constants. Angles are in radians and double precision, lengths
// are single-precision factors of the branch's drawn length.
struct BranchVariant
{
    int countFactor;           // k of countBranches(n) = k * countBranches(n - 1) + 1
    bool doublePrecisionTrig;  // cos/sin of the branch angle widened to double and rounded
    bool swaysWithTime;        // side and continuation angles carry time-driven offsets
    bool randomContinuation;   // a second draw per branch turns the continuation
    double firstAngle;         // first side branch, relative to its parent
    double secondAngle;        // second side branch
    float firstLength;
    float secondLength;
    float continuationLength;
};

constexpr std::array<BranchVariant, 4> kBranchVariants = {{
    // GrowingTree: one draw per branch; the children sway.
    {2, false, true, false, 0.15, -0.4, 0.75f, 0.5f, 0.5f},
    // GrowingRoots
    {3, false, false, true, 0.4, -0.4, 0.5f, 0.5f, 0.75f},
    // RunningBranch
    {3, false, false, true, 0.4, -0.4, 0.5f, 0.5f, 0.75f},
    // BranchFrame: the same as the roots but for the trigonometry.
    {3, true, false, true, 0.4, -0.4, 0.5f, 0.5f, 0.75f},
}};

constexpr const BranchVariant& branchVariant(BranchKind kind)
{
    return kBranchVariants[static_cast<std::size_t>(kind)];
}

// What every branch's arithmetic shares, defined here once for the generator
// and its replay (growth/replay/): the length factor 1 + 0.2 r kept within
// [0.5, 1.5], the continuation's turn of 0.2 r for the kinds that turn it at
// random, and the tree's sway, an offset of amplitude 0.05 added to each
// child's angle at its own rate (rad/s). All in double precision.
constexpr double kLengthSpread = 0.2;
constexpr double kShortestFactor = 0.5;
constexpr double kLongestFactor = 1.5;
constexpr double kContinuationTurn = 0.2;
constexpr double kSwayAmplitude = 0.05;
constexpr double kFirstSwayRate = 0.76543;
constexpr double kSecondSwayRate = 0.9132;
constexpr double kContinuationSwayRate = 1.2132;

// A branch's length factor from its draw r.
inline double lengthFactor(double r)
{
    return std::min(std::max(1.0 + kLengthSpread * r, kShortestFactor), kLongestFactor);
}

// The offset a child's angle sways by at `time` (seconds) at `rate`: zero for
// the kinds that do not sway.
inline double swayOffset(const BranchVariant& variant, float time, double rate)
{
    if (!variant.swaysWithTime)
        return 0.0;
    return kSwayAmplitude * std::sin(static_cast<double>(time) * rate);
}

// Where the normal draws come from: rndn() in the program; tests put in a
// source of known values.
using NormalDraw = float (*)();

// 1 for n < 0, otherwise k * countBranches(n - 1) + 1: 2^(n+2) - 1 for the tree,
// (3^(n+2) - 1) / 2 for the others.
int countBranches(BranchKind kind, int n);

// Appends the branch (level, growth, x, y, angle, length) and its subtree to
// `buffer`, advancing buffer.used. `time` (seconds) drives the tree's sway and
// is ignored by the other kinds. Preconditions: buffer.vertices points to at
// least buffer.capacity floats and 0 <= buffer.used <= buffer.capacity.
void generateBranches(BranchKind kind, BranchBuffer& buffer, float time, int level, float growth, float x, float y,
                      float angle, float length, NormalDraw draw = rndn);

} // namespace branching
