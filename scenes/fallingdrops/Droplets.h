#pragma once

// Fifty drops that blink into existence, fall and leave expanding rings; the
// rings are painted black wherever an odd number of them overlap.

#include "gfx/FastPaths.h"
#include "gfx/Gl.h"
#include "gfx/ISceneComponent.h"
#include "scenes/fallingdrops/DropMotion.h"

#include <vector>

class Droplets : public ISceneComponent
{
public:
    using Drop = dropmotion::Drop;

    // Needs a current GL context. Reseeds the generator and draws the drops
    // from it, so it must run before the scenes that continue the sequence.
    explicit Droplets(const gfx::FastPaths& paths);
    ~Droplets() override;
    void draw(float t) override;

    void drawInvertedCircles();
    void drawCircles();
    void drawDrops();
    void drawRectangle();

private:
    const gfx::FastPaths paths;
    std::vector<Drop> drops;
    // Released with the GL context, never one by one.
    GLuint ringBuffer = 0;
    GLuint diskBuffer = 0;
    GLuint rectangleBuffer = 0;
    float time = 0.0f;
    int segments = 360;
};
