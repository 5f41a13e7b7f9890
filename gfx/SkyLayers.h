#pragma once

// The sky pieces that the growing tree's Sky and the running off scene's
// RunningHills both draw: the sun on its arc, and the translucent band of a
// sky box. Each draw switches blending on for itself and off again.

#include "gfx/Gl.h"

#include <functional>

namespace gfx {

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

// A sky box band: the full-window rectangle (half size 1) moved up by centreY
// and scaled vertically by heightScale, in a translucent colour.
struct SkyBand
{
    float red;
    float green;
    float blue;
    float alpha;
    float centreY;
    float heightScale;
};

// Draws the band with blending; `drawRectangle` draws the component's own
// rectangle buffer in the current colour and transform.
void drawSkyBand(const SkyBand& band, const std::function<void()>& drawRectangle);

} // namespace gfx
