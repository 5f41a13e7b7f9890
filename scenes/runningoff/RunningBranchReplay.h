#pragma once

// The running branch's generation replayed from its recorded draws.
//
// Caches: the values rndn() returns after the branch's seed, for every main
// step the running off scene can reach (growth/replay/DrawTape.h), recorded at
// construction. Exact: the main branch runs the shared main-branch loop with
// the reference's own steps (RunningBranch::MainSteps: ground steering,
// side-branch angles and lengths) and start, the side branches run the replay
// generator (growth/replay/ReplayBranches.h), and the random state is put
// where the reference leaves it. Where it cannot stand in (a pending rndn()
// spare, more steps than recorded, a buffer that would fill up) generate()
// says so and the component runs the reference.

#include "growth/BranchBuffer.h"
#include "growth/replay/DrawTape.h"

#include <vector>

class RunningBranchReplay
{
public:
    // Records the draws up to local time `longest`.
    explicit RunningBranchReplay(float longest);

    // Writes the branch for local time t, steering against `ground`, into
    // `buffer` from its start, exactly as RunningBranch's reference generation
    // does after its srand(), and leaves the random state as that would. Returns
    // false, with buffer.used = 0 and the random state untouched, when the
    // replay cannot stand in.
    bool generate(branching::BranchBuffer& buffer, const std::vector<float>& ground, float t) const;

private:
    branching::DrawTape tape;
};
