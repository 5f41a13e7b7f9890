#pragma once

// The second scene, 20 to 40 s: sky, black ground, a growing tree and its white
// roots. The whole picture rises into view over the first 5 s and slides off to
// the left from 17.7 s.

#include "gfx/SceneComponents.h"

class GrowingTreeScene : public ISceneComponent
{
public:
    // The camera movement at local time t: a translation by (x, y), where
    // either part may be absent (no glTranslatef call for it).
    struct Camera
    {
        bool rises;
        float y;
        bool slides;
        float x;
    };
    static Camera cameraAt(float t);

    // The height in the view below which the opaque ground, drawn at local
    // time t, hides whatever was drawn before the scene: its top edge, while
    // it spans the view's width and reaches below it (see gfx/ViewWindow.h).
    static float hiddenBelow(float t);

    GrowingTreeScene();  // needs a current GL context
    ~GrowingTreeScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
