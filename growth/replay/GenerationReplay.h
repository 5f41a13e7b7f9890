#pragma once

// One seeded generation (srand(seed), then generateBranches at a fixed level),
// replayed from its recorded draws: what the growing tree and its roots make
// every frame.
//
// Caches: the generation's rndn() values after srand(seed), recorded once
// (growth/replay/DrawTape.h); the count does not depend on growth, only on the
// level. Exact: the replay generator (growth/replay/ReplayBranches.h) performs
// the reference's operations on those values, and the random state is put
// where the reference leaves it. Where it cannot stand in (a pending rndn()
// spare, a buffer that would fill up) generate() says so and the caller runs
// the reference.

#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"
#include "growth/replay/DrawTape.h"
#include "growth/replay/ReplayBranches.h"
#include "growth/replay/ReplayLayout.h"
#include "growth/replay/ReplayRun.h"

namespace branching {

template <BranchKind kind>
class GenerationReplay
{
public:
    GenerationReplay(unsigned int seed, int generationLevel)
        : level(generationLevel)
    {
        const int draws = generationDrawCount(kind, level);
        tape.record(seed, 1, [draws](DrawTape::Recorder& recorder) { recorder.normals(draws); });
    }

    // Writes what srand(seed) and then generateBranches(level, growth, x, y,
    // angle, length) of this kind (with `time` for the sway) write, into
    // `buffer` from its start, and leaves the random state as they would.
    // Returns false, with buffer.used = 0 and the random state untouched, when
    // the replay cannot stand in.
    bool generate(BranchBuffer& buffer, float time, float growth, float x, float y, float angle, float length) const
    {
        buffer.restart();
        if (!replayMayStandIn(tape, 1))
            return false;
        const float* next = tape.draws();
        ReplayBranches<kind> generation(buffer, next, time);
        generation.grow(level, growth, x, y, angle, length);
        return finishReplay(tape, 1, buffer, generation.overflowed());
    }

private:
    int level;
    DrawTape tape;
};

} // namespace branching
