#pragma once

// The disk at the heart of the crash frame scene: black, swelling from nothing
// to radius 1.5 over the first 10/3 s, and from 10 s on a white disk of the
// same size fading in over it until the view is white at 12.5 s.

#include "gfx/ISceneComponent.h"

class Explosion : public ISceneComponent
{
public:
    Explosion();  // needs a current GL context
    ~Explosion() override;
    void draw(float t) override;

    // Radius of both disks at local time t.
    static float radiusAt(float t);
    // Opacity of the white disk at t; it is drawn only for t > 10.
    static float whiteAlphaAt(float t);

private:
    void drawDisk(float t);

    int segments = 360;
    unsigned int diskBuffer = 0;
};
