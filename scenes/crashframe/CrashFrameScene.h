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

    // Whether this scene, drawn at local time t, paints over everything drawn
    // before it in the frame, so the scenes before it need not be drawn.
    static bool hidesEarlierScenes(float t);

private:
    ComponentList components;
};
