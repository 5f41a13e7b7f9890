#pragma once

// A branch frame's generation replayed from its recorded draws.
//
// Caches: the values rndn() and rnd() return after the frame's seed, for every
// main step the scene can reach (growth/replay/DrawTape.h), recorded at
// construction, and the cos and sin of the turn each continuation's draw makes
// (the rounding of the trigonometry checks them, growth/replay/ExactTrig.h).
// Exact: the main branch runs the shared main-branch loop with the reference's
// steering, side-branch angles and lengths, the side branches run the replay
// generator (growth/replay/ReplayBranches.h), and the random state is put where
// the reference leaves it. Where it cannot stand in (a pending rndn() spare, more
// steps than recorded, a buffer that would fill up) generate() says so and the
// component runs the reference.

#include "growth/BranchBuffer.h"
#include "growth/replay/DrawTape.h"
#include "growth/replay/ExactTrig.h"

#include <vector>

class BranchFrameReplay
{
public:
    // Records the draws of the frame with this start angle up to local time `longest`.
    BranchFrameReplay(float startAngle, float longest);

    // Writes the frame for local time t into `buffer` from its start, exactly
    // as BranchFrame's reference generation does after srand(seed), and leaves
    // the random state as that would. Returns false, with buffer.used = 0 and
    // the random state untouched, when the replay cannot stand in.
    bool generate(branching::BranchBuffer& buffer, float t) const;

private:
    float startAngle;
    branching::DrawTape tape;
    // cos and sin of each side branch's continuation turns, in the order the
    // replay looks them up (branching::collectContinuationTurns).
    std::vector<branching::CosSinApprox> turns;
};
