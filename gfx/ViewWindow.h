#pragma once

// The part of a component's model space that can reach the view: culling
// skips what lies wholly outside it. The window is grown by a margin of a
// few pixels on every side, wider than a smooth line's fringe, so a
// primitive outside it cannot change any pixel, and dropping it leaves the
// picture exactly as it was.

#include <algorithm>
#include <array>
#include <limits>

namespace gfx {

struct ViewWindow
{
    float left;
    float right;
    float bottom;
    float top;

    // No bounds: everything may be seen (culling off, or a transform the
    // window cannot describe).
    static ViewWindow everywhere();

    bool isBounded() const;

    // The same window for model coordinates that are drawn moved by (dx, dy).
    ViewWindow movedBy(float dx, float dy) const { return {left - dx, right - dx, bottom - dy, top - dy}; }

    // Whether the segment's bounding box meets the window. Coordinates that
    // are not numbers never meet it.
    bool mayTouch(float x0, float y0, float x1, float y1) const
    {
        // Bitwise, not logical, so it compiles to compares without branches.
        const bool xs = (std::min(x0, x1) <= right) & (std::max(x0, x1) >= left);
        const bool ys = (std::min(y0, y1) <= top) & (std::max(y0, y1) >= bottom);
        return xs & ys;
    }

    // Whether the whole window lies within the disk: used to tell when a
    // filled disk covers every pixel of the view.
    bool insideDisk(float centreX, float centreY, float radius) const;
    // Whether some point of the window lies within the disk (its rim included).
    bool meetsDisk(float centreX, float centreY, float radius) const;
};

// How a unit ring shape (radii 1 to 2, `segments` segments) scaled by r
// about (x, y) meets a window.
enum class RingReach {
    Misses,            // no pixel of the window: beyond the ring, or in its hole
    CoversAll,         // every pixel of the window, once
    CoversAllButHole,  // every pixel but those of its hole, which meets the window
    Partly,
};
RingReach ringReach(const ViewWindow& view, int segments, float x, float y, float r);

// Two ways to invert the stencil under a ring, and roughly what each fills,
// counted on a grid of kRingGridPoints points over the window:
// - `direct`: the ring itself;
// - `flipped`: the whole view inverted (one rectangle, shared by every ring
//   drawn this way), then the hole and the ring twice the size (its inner
//   rim is this ring's outer one). Within a window that lies inside the
//   bigger ring's outer rim, both leave the same parity. -1 where it does not.
constexpr int kRingGridPoints = 64;
struct RingCost
{
    RingReach reach;
    int direct;
    int flipped;
    bool holeMeetsView;   // whether the flipped way must draw the hole
    bool outerMeetsView;  // whether it must draw the ring twice the size
};
RingCost ringCost(const ViewWindow& view, int segments, float x, float y, float r);

// Pixels added on every side: a smooth line reaches about 1.5 pixels beyond
// its centre line, a filled edge half a pixel.
constexpr float kCullMarginPixels = 4.0f;

// The window of the given model-view and projection matrices (column-major,
// as glGetFloatv returns them) for a viewport of `width` x `height` pixels.
// Only scales and translations are understood; anything else, or a matrix
// that flattens an axis, gives everywhere().
ViewWindow viewWindowFrom(const float modelView[16], const float projection[16], int width, int height,
                          float marginPixels = kCullMarginPixels);

// The window of the GL's current matrices and viewport, or everywhere() when
// culling is switched off (gfx/FastPaths.h).
ViewWindow currentViewWindow();

// Heights in the view below which what is drawn later hides everything:
// minus infinity for nothing, plus infinity for the whole view.
constexpr float kNothingHidden = -std::numeric_limits<float>::infinity();
constexpr float kAllHidden = std::numeric_limits<float>::infinity();

// Whether an opaque rectangle, in the current model coordinates, covers the
// centre of every pixel of the view from its top edge down: then it hides
// the view below its top edge. False when culling is off or the matrices
// are not a plain scale and shift.
bool rectangleHidesViewBelowTop(float left, float right, float bottom, float top);

// A rectangle of the view, in model coordinates, that something drawn later
// paints over: what is drawn before need not reach it. Infinite edges reach
// past the view; an empty rectangle hides nothing.
struct HiddenRect
{
    float left;
    float right;
    float bottom;
    float top;

    bool isEmpty() const { return !(left < right && bottom < top); }
};
constexpr HiddenRect kNothingHiddenRect = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr HiddenRect kAllHiddenRect = {kNothingHidden, kAllHidden, kNothingHidden, kAllHidden};
constexpr HiddenRect hiddenBelow(float y)
{
    return {kNothingHidden, kAllHidden, kNothingHidden, y};
}

// The parts of the viewport outside a hidden rectangle (in the current model
// coordinates), as up to four scissor boxes in pixels: the rows above it,
// the rows below it, and the columns left and right of it in between. A
// pixel counts as hidden only when its centre lies two pixels or more inside
// the rectangle, against rounding. Drawing once per box (select(k)) reaches
// every pixel that may be seen once. Without culling, or for an empty
// rectangle, there is one box and no scissor; for a rectangle over the whole
// view there are none.
class ScissorOutside
{
public:
    explicit ScissorOutside(const HiddenRect& hidden);
    ~ScissorOutside();
    ScissorOutside(const ScissorOutside&) = delete;
    ScissorOutside& operator=(const ScissorOutside&) = delete;

    int count() const { return boxCount; }
    bool hidesAll() const { return boxCount == 0; }
    // Scissors to box k, kept within any box already in force; the one in
    // force before is back when this ends. Nests.
    void select(int k);

private:
    std::array<std::array<int, 4>, 4> boxes{};
    int boxCount = 1;
    bool scissoring = false;
    bool outerScissor = false;  // a scissor box was already set: stay within it, and put it back
    std::array<int, 4> outerBox{};
};

} // namespace gfx
