#pragma once

// The stencil inversion pass: paints black exactly where an odd number of
// shapes overlap, which gives the demo its two-tone look.
//
//   beginInversionMask();    // stencil cleared; shapes drawn now only toggle it
//   ...draw the shapes...
//   beginInversionCover();   // colour back on; draws pass where the count was odd
//   ...draw the cover in opaque black...
//   endInversion();          // blending and stencil test off again
//
// The basic form's cover is a rectangle over the whole window (drawInverted);
// the running branch draws some of its shapes again as the cover instead.

#include <functional>

namespace gfx {

void beginInversionMask();
// Leaves the current colour at opaque black, blending on, stencil writes off.
void beginInversionCover();
void endInversion();

// The basic form: mask with `shapes`, then `cover` painted black where odd.
void drawInverted(const std::function<void()>& shapes, const std::function<void()>& cover);

} // namespace gfx
