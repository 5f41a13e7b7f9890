#pragma once

// The second scene, 20 to 40 s: sky, black ground, a growing tree and its white
// roots. The whole picture rises into view over the first 5 s and slides off to
// the left from 17.7 s.

#include "gfx/FastPaths.h"
#include "gfx/HiddenRect.h"
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

    // The part of the view the scene at local time t paints over, whatever
    // was drawn before it: below the ground's top edge while the opaque
    // ground spans the view's width and reaches below it, and below the sky
    // box's top while the box is opaque too (gfx/HiddenRect.h).
    static gfx::HiddenRect hiddenRegion(float t, const gfx::ViewWindow& view);

    explicit GrowingTreeScene(const gfx::FastPaths& paths);  // needs a current GL context
    ~GrowingTreeScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
