#pragma once

#include "gfx/ViewWindow.h"

// The branch buffer fields a tree-like component shares with the branch
// generator: the mapped (or plain) memory, how much of it this generation has
// filled, and how much there is. Segments are four floats, x0 y0 x1 y1, drawn
// as GL_LINES.
//
// `used` counts every segment the generation makes, so the capacity checks
// behave as if each were stored. Only segments that may reach `window` are
// stored, though, packed from the start of the memory: `kept` floats of them.
// With the default window (everywhere) the two counts are equal.

namespace branching {

constexpr int kFloatsPerSegment = 4;

struct BranchBuffer
{
    float* vertices = nullptr;  // valid only while the caller holds it mapped
    int used = 0;               // floats made in this generation, a multiple of 4
    int capacity = 0;           // floats the memory holds
    int kept = 0;               // floats stored at `vertices`, at most `used`
    gfx::ViewWindow window = gfx::ViewWindow::everywhere();

    // Starts a generation into `memory`, keeping what may reach `view`.
    void begin(float* memory, const gfx::ViewWindow& view = gfx::ViewWindow::everywhere())
    {
        vertices = memory;
        window = view;
        restart();
    }

    // Starts the generation over into the same memory and window.
    void restart()
    {
        used = 0;
        kept = 0;
    }

    // Whether one more segment fits; every writer checks this before it writes.
    bool hasRoomForSegment() const { return used + kFloatsPerSegment <= capacity; }

    // Makes one segment: stores it if it may be seen, and advances `used`.
    // Only call it after hasRoomForSegment().
    void appendSegment(float x0, float y0, float x1, float y1)
    {
        // Written always, kept only if it may be seen: the next segment
        // overwrites one that is not. (No branch to mispredict on the edge
        // of the view; `kept` < `used` leaves the slot free.)
        float* out = vertices + kept;
        out[0] = x0;
        out[1] = y0;
        out[2] = x1;
        out[3] = y1;
        kept += window.mayTouch(x0, y0, x1, y1) ? kFloatsPerSegment : 0;
        used += kFloatsPerSegment;
    }

    // The vertex count to hand to glDrawArrays(GL_LINES, 0, ...).
    int vertexCount() const { return kept / 2; }
};

} // namespace branching
