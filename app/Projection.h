#pragma once

// The surface's orthographic projection: the longer side of the window spans
// -1 to 1 world units, the shorter side +-(short / long), origin at the centre.
struct OrthoBounds
{
    float left, right, bottom, top;
};

// Bounds for a window of w x h pixels, as glOrtho receives them. Both sizes
// must be positive.
OrthoBounds orthoBounds(int w, int h);

// Sets the viewport and loads the projection for a window of w x h pixels,
// leaving GL_PROJECTION as the matrix mode. A zero or negative size (a
// minimised window) would divide by zero, so it keeps the last projection and
// returns false.
bool applyProjection(int w, int h);
