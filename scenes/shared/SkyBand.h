#pragma once

// The translucent band of a sky box, which the growing tree's Sky and the
// running off scene's RunningHills both draw: the full-window rectangle
// (half size 1) moved up by centreY and scaled vertically by heightScale, in
// a translucent colour. Its draw switches blending on for itself and off
// again.

#include <functional>

namespace sky {

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

} // namespace sky
