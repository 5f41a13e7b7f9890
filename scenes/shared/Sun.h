#pragma once

// The sun that the growing tree's Sky and the running off scene's
// RunningHills both draw: a small grey disk on one arc, brightening over the
// first 10 s of its scene. Its draw switches blending on for itself and off
// again.

#include "gfx/Gl.h"

namespace sky {

// Where the sun is and how bright at a component's local time t (seconds).
struct SunPlacement
{
    float x;
    float y;
    float grey;  // opaque grey level of the disk
};

// The centre moves counter-clockwise on a circle of radius 2.50625 about
// (0, -2), starting at the angle 0.8 rad and turning at 0.05 rad/s; the grey
// rises from 0.3 at 0 s to 0.9 at 10 s and stays there.
SunPlacement sunAt(float t);

// Draws the sun for time t: the unit disk in `diskBuffer` (a fan of
// segments + 2 vertices) scaled to radius 0.05 at sunAt(t), blended.
void drawSun(float t, GLuint diskBuffer, int segments);

} // namespace sky
