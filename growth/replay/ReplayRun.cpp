#include "growth/replay/ReplayRun.h"

#include "gfx/Random.h"

namespace branching {

bool replayMayStandIn(const DrawTape& tape, int steps)
{
    return !rndnSparePending() && steps <= tape.steps();
}

int startMainReplay(const DrawTape& tape, BranchBuffer& buffer, float budget)
{
    buffer.restart();
    const int steps = mainBranchSteps(budget, tape.steps() + 1);
    return replayMayStandIn(tape, steps) ? steps : -1;
}

bool finishReplay(const DrawTape& tape, int steps, BranchBuffer& buffer, bool overflowed)
{
    if (overflowed || !buffer.hasRoomForSegment()) {
        buffer.restart();
        return false;
    }
    tape.restoreStateAfter(steps);
    return true;
}

} // namespace branching
