#pragma once

// The disk at the heart of the crash frame scene: black, swelling from nothing
// to radius 1.5 over the first 10/3 s, and from 10 s on a white disk of the
// same size fading in over it until the view is white at 12.5 s.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "gfx/ViewWindow.h"

class Explosion : public ISceneComponent
{
public:
    explicit Explosion(const gfx::FastPaths& paths);  // needs a current GL context
    ~Explosion() override;
    void draw(float t) override;

    static constexpr int kSegments = 360;  // rim segments of the disk

    // Radius of both disks at local time t.
    static float radiusAt(float t);
    // Opacity of the white disk at t; it is drawn only for t > 10.
    static float whiteAlphaAt(float t);

    // Whether the opaque black disk at t covers every pixel of `view`: then
    // nothing drawn before the explosion can be seen.
    static bool blackensView(float t, const gfx::ViewWindow& view);
    // Whether the white disk at t is opaque and covers every pixel of
    // `view`: then the view is white, and white lines drawn over it, however
    // translucent, leave it white.
    static bool whitensView(float t, const gfx::ViewWindow& view);

private:
    void drawDisk(float t, const gfx::ViewWindow& view);

    const gfx::FastPaths paths;
    int segments = kSegments;
    unsigned int diskBuffer = 0;
    unsigned int diskTriangles = 0;  // the disk's rim as few large triangles
};
