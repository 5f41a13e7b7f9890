#pragma once

// How every replay starts and ends, whatever it replays.
//
// A replay may stand in for its reference only with no rndn() spare pending
// (the reference's first rndn() would return the old spare, which the tape
// does not hold) and with every step it needs on the tape. It ends as the
// reference does, the random state where the reference's draws leave it;
// unless it fell short of the reference: it would have written past the
// capacity, or it leaves no room for one more segment (the reference might
// have stopped early on the way). Then it declines, with the buffer empty and
// the random state untouched, and the caller runs the reference.

#include "growth/BranchBuffer.h"
#include "growth/replay/DrawTape.h"

namespace branching {

// Whether a replay of `steps` steps of `tape` may stand in.
bool replayMayStandIn(const DrawTape& tape, int steps);

// Starts the replay of a main branch (growth/MainBranch.h) with the growth
// budget `budget` into `buffer`, from its start: the main steps it makes, one
// a step of the tape, or -1 where it may not stand in.
int startMainReplay(const DrawTape& tape, BranchBuffer& buffer, float budget);

// Ends a replay of `steps` steps: whether it stands in (see above).
bool finishReplay(const DrawTape& tape, int steps, BranchBuffer& buffer, bool overflowed);

} // namespace branching
