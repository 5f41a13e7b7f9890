#pragma once

// The rings of the drops, each drawn the cheaper of two ways that leave the
// same stencil parity. A ring is the disk of its outer rim less the disk of
// its inner rim (its hole), and the disk of its outer rim is the whole view
// less the ring twice its size, wherever that one's outer rim holds the view:
// so the ring may instead invert the whole view, its hole and the ring twice
// its size ("flipped"). Big rings mostly over the view fill far less that
// way, and every ring drawn that way shares one rectangle over the view (two
// cancel).
//
// Sections: where a ring reaches | what each way fills | the choice for a frame.

#include "gfx/ViewWindow.h"
#include "scenes/fallingdrops/DropMotion.h"

#include <array>

// How a unit ring shape (radii 1 to 2, `segments` segments) scaled by r
// about (x, y) meets a window.
enum class RingReach {
    Misses,            // no pixel of the window: beyond the ring, or in its hole
    CoversAll,         // every pixel of the window, once
    CoversAllButHole,  // every pixel but those of its hole, which meets the window
    Partly,
};
RingReach ringReach(const gfx::ViewWindow& view, int segments, float x, float y, float r);

// Roughly what each way fills, counted on a grid of kRingGridPoints points
// over the window: `direct` the ring itself, `flipped` the hole and the ring
// twice the size (-1 where the window does not lie inside that one's outer
// rim, so the flipped way would not leave the same parity).
constexpr int kRingGridPoints = 64;
struct RingCost
{
    RingReach reach;
    int direct;
    int flipped;
    bool holeMeetsView;   // whether the flipped way must draw the hole
    bool outerMeetsView;  // whether it must draw the ring twice the size
};
RingCost ringCost(const gfx::ViewWindow& view, int segments, float x, float y, float r);

// A ring of the frame: its centre and inner radius.
struct Ring
{
    float x;
    float y;
    float r;
};
constexpr int kMostRings = dropmotion::kDropCount;

// What to draw for one ring: the ring shape scaled by ringScale (r itself,
// or 2r flipped) and the unit disk scaled by holeScale (r, flipped); 0 for
// nothing.
struct RingDraw
{
    float x;
    float y;
    float ringScale;
    float holeScale;
};

// Every ring that reaches the view, each drawn the cheaper way, the shared
// rectangle's cost counted: an odd count of flipped rings needs it once.
struct RingWays
{
    std::array<RingDraw, kMostRings> draws;
    int count;
    bool invertsView;  // the rectangle over the view, once
};
RingWays chooseRingWays(const gfx::ViewWindow& view, int segments, const std::array<Ring, kMostRings>& rings,
                        int ringCount);
