#pragma once

// The last scene, 60 to 75 s: a black disk swells under four branches that
// grow out of the centre and bend along the unit circle, then turns white.

#include "gfx/FastPaths.h"
#include "gfx/HiddenRect.h"
#include "gfx/SceneComponents.h"

class CrashFrameScene : public ISceneComponent
{
public:
    explicit CrashFrameScene(const gfx::FastPaths& paths);  // needs a current GL context
    ~CrashFrameScene() override;
    void draw(float t) override;

    // The part of the view this scene, drawn at local time t, paints over
    // whatever was drawn before it: the square inside the opaque black disk,
    // and all of the view once the disk covers it (gfx/HiddenRect.h).
    static gfx::HiddenRect hiddenRegion(float t, const gfx::ViewWindow& view);

private:
    const gfx::FastPaths paths;
    ComponentList components;
};
