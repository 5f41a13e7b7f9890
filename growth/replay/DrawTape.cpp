#include "growth/replay/DrawTape.h"

#include <cstddef>

namespace branching {

void DrawTape::restoreStateAfter(int step) const
{
    const gfx::RandomState& after = states[static_cast<std::size_t>(step)];
    if (step > 0) {
        gfx::setRandomState(after);
        return;
    }
    gfx::RandomState state = gfx::randomState();
    state.ring = after.ring;
    state.front = after.front;
    state.rear = after.rear;
    gfx::setRandomState(state);
}

int mainBranchSteps(float budget, int limit)
{
    if (budget != budget)
        return limit;
    int steps = 0;
    for (float g = budget; g > 0.0f && steps < limit; g -= 1.0f)
        ++steps;
    return steps;
}

} // namespace branching
