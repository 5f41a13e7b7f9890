#pragma once

// The part of a component's model space that can reach the view: culling
// skips what lies wholly outside it. The window is grown by a margin of a
// few pixels on every side, wider than a smooth line's fringe, so a
// primitive outside it cannot change any pixel, and dropping it leaves the
// picture exactly as it was. With culling off the window is unbounded, and
// every test against it keeps everything.

#include "gfx/FastPaths.h"

#include <algorithm>

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
// culling is off: the one place where the culling switch is read.
ViewWindow visibleWindow(const FastPaths& paths);

// What the GL's current matrices and viewport show, with no margin: the
// window to the pixel's edge (unbounded for a transform it cannot describe),
// the viewport, and whether both axes point the projection's way.
struct PixelView
{
    ViewWindow exact;
    int x;
    int y;
    int width;
    int height;
    bool upright;
};
PixelView currentPixelView();

} // namespace gfx
