#pragma once

// The growing tree scene's sky as the scene shows it. The ground, drawn right
// after it, is opaque: where it covers the view below the horizon, the sky is
// left out there (gfx/ScissorOutside.h). The same pixels, far fewer filled.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "scenes/growingtree/Sky.h"

class SkyAboveHorizon : public ISceneComponent
{
public:
    // Needs a current GL context; the Sky it builds continues the random sequence.
    explicit SkyAboveHorizon(const gfx::FastPaths& paths);
    ~SkyAboveHorizon() override;
    void draw(float t) override;

private:
    const gfx::FastPaths paths;
    Sky sky;
};
