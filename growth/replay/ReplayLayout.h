#pragma once

// Where a generation's draws lie on a tape, and what follows from the levels
// alone: the replay finds each part of a subtree's draws and continuation
// turns without counting on the way.

#include "growth/BranchGenerator.h"
#include "growth/replay/ExactTrig.h"

#include <array>
#include <cstddef>
#include <vector>

namespace branching {

// The draws one generation of `level` makes: one per branch for the tree, two
// for the others, over the (3^level - 1) / 2 branches it visits.
constexpr int generationDrawCount(BranchKind kind, int level)
{
    int branches = 0;
    for (int i = 0; i < level; ++i)
        branches = 3 * branches + 1;
    return branchVariant(kind).randomContinuation ? 2 * branches : branches;
}

// The continuation turns whose cos and sin a generation of `level` looks up
// (ReplayBranches' `turns`): one per branch of level 2 or more, whose second
// draw turns its continuation, for the kind that rounds its trigonometry from
// double; none for the others.
constexpr int continuationTurnCount(BranchKind kind, int level)
{
    if (!branchVariant(kind).doublePrecisionTrig)
        return 0;
    int turns = 0;
    for (int i = 2; i <= level; ++i)
        turns = 3 * turns + 1;
    return turns;
}

// Appends cos and sin of each continuation turn of the generation of `level`
// whose draws start at `d`, in the order the replay looks them up: the first
// side's, the second side's, the branch's own, the continuation's.
template <BranchKind kind>
void collectContinuationTurns(const float* d, int level, std::vector<CosSinApprox>& out)
{
    static_assert(branchVariant(kind).doublePrecisionTrig && branchVariant(kind).randomContinuation,
                  "only the kind that rounds its trigonometry from double looks turns up");
    if (level < 2)
        return;
    const int child = generationDrawCount(kind, level - 1);
    collectContinuationTurns<kind>(d + 1, level - 1, out);
    collectContinuationTurns<kind>(d + 1 + child, level - 1, out);
    const double turn = kContinuationTurn * static_cast<double>(d[1 + 2 * child]);
    out.push_back({std::cos(turn), std::sin(turn)});
    collectContinuationTurns<kind>(d + 2 + 2 * child, level - 1, out);
}

// The per-level tables of one kind's replay.
template <BranchKind kind>
struct ReplayLayout
{
    static constexpr int kLevels = 16;  // deeper than any component grows

    static constexpr auto kTurnCounts = [] {
        std::array<int, kLevels> counts{};
        for (int level = 0; level < kLevels; ++level)
            counts[static_cast<std::size_t>(level)] = continuationTurnCount(kind, level);
        return counts;
    }();
    static constexpr auto kDrawCounts = [] {
        std::array<int, kLevels> counts{};
        for (int level = 0; level < kLevels; ++level)
            counts[static_cast<std::size_t>(level)] = generationDrawCount(kind, level);
        return counts;
    }();

    // How far a subtree of a level reaches from its start, per unit of its
    // branch's actual length (after its length factor): each child starts on
    // the branch and reaches as far by its own share of the length, the
    // children's factors being at most kLongestFactor. Only for the kinds that
    // do not sway with time.
    static constexpr auto kReachAfterFactor = [] {
        constexpr const BranchVariant& v = branchVariant(kind);
        std::array<float, kLevels> reach{};
        double below = 0.0;
        for (int level = 1; level < kLevels; ++level) {
            double r = 1.0;
            r = std::max(r, 1.0 / 3.0 + static_cast<double>(v.firstLength) * below);
            r = std::max(r, 2.0 / 3.0 + static_cast<double>(v.secondLength) * below);
            r = std::max(r, 1.0 + static_cast<double>(v.continuationLength) * below);
            // A little more, for the rounding of the positions on the way.
            reach[static_cast<std::size_t>(level)] = static_cast<float>(r * (1.0 + 1e-4));
            below = kLongestFactor * r;
        }
        return reach;
    }();
    static constexpr float kReachSlack = 1e-5f;

    static int drawCount(int level) { return kDrawCounts[static_cast<std::size_t>(level)]; }
    static int turnCount(int level) { return kTurnCounts[static_cast<std::size_t>(level)]; }
};

} // namespace branching
