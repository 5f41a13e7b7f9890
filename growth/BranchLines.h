#pragma once

// The GL side of every branch component: its segments regenerated every
// frame into a streamed buffer, and drawn from it as smooth translucent lines.
//
//   regenerateLines(name, buffer, window, paths, replay, generate);
//   drawSmoothLines(name, buffer, colour);
//
// regenerateLines maps the buffer write-only and fills it: from the draws the
// component recorded (replay(buffer), which says whether it could stand in)
// when the replay fast path is on, with the straightforward generation
// (generate(buffer)) otherwise; either starts `buffer` from empty and keeps
// only the segments that may reach `window`. The time it takes counts as
// generation (gfx/GenerationTimer.h). Without a mapping the buffer is
// unbound again and holds no lines this frame.

#include "gfx/FastPaths.h"
#include "gfx/GenerationTimer.h"
#include "gfx/ViewWindow.h"
#include "growth/BranchBuffer.h"

namespace branching {

struct LineColour
{
    float red;
    float green;
    float blue;
    float alpha;
};

// Maps the stream buffer `name` into `buffer`, starting a generation that
// keeps what may reach `window`. False, with the buffer unbound and empty,
// when the mapping fails.
bool mapLines(unsigned int name, BranchBuffer& buffer, const gfx::ViewWindow& window);
void unmapLines(BranchBuffer& buffer);

template <class Replay, class Generate>
void regenerateLines(unsigned int name, BranchBuffer& buffer, const gfx::ViewWindow& window,
                     const gfx::FastPaths& paths, Replay&& replay, Generate&& generate)
{
    if (!mapLines(name, buffer, window))
        return;
    {
        const gfx::GenerationTimer timing;
        if (!(paths.replay && replay(buffer)))
            generate(buffer);
    }
    unmapLines(buffer);
}

// Sets up smooth, blended lines, draws the buffer's segments in `colour` and
// switches smoothing and blending off again.
void drawSmoothLines(unsigned int name, const BranchBuffer& buffer, const LineColour& colour);

} // namespace branching
