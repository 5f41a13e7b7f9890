#pragma once

// The last scene, 60 to 75 s: a black disk swells under four branches that
// grow out of the centre and bend along the unit circle, then turns white.

#include "gfx/SceneComponents.h"

class CrashFrameScene : public ISceneComponent
{
public:
    CrashFrameScene();
    ~CrashFrameScene() override;
    void draw(float t) override;

    // How much of the view this scene, drawn at local time t, paints over
    // whatever was drawn before it: all of it once the opaque black disk
    // covers the view, else nothing (see gfx/ViewWindow.h).
    static float hiddenBelow(float t);

private:
    ComponentList components;
};
