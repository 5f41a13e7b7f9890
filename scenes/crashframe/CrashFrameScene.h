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

private:
    ComponentList components;
};
