#pragma once

// The background of the growing tree scene, in three layers: a dark blue band
// over the upper half that fades in from 6 s and out at 17 s, ten translucent
// yellow disks growing from the middle of the horizon, and the sun on its arc.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "scenes/shared/SkyBand.h"

#include <vector>

class Sky : public ISceneComponent
{
public:
    struct Drop
    {
        float x;      // centre, negated when drawn; always 0
        float y;      // always 0
        float phase;  // radius offset: the radius is 0.1 * time + phase
    };

    // Needs a current GL context. Draws ten rnd() values without reseeding:
    // in the demo they continue the sequence the drops started.
    explicit Sky(const gfx::FastPaths& paths);
    ~Sky() override;
    void draw(float t) override;

    const std::vector<Drop>& dropList() const { return drops; }

    // The sky box at local time t: its colour and opacity, and its extent in
    // the scene's coordinates (the upper half of the unit square).
    static sky::SkyBand boxAt(float t);
    struct Extent
    {
        float left, right, bottom, top;
    };
    static constexpr Extent kBoxExtent = {-1.0f, 1.0f, 0.0f, 1.0f};

private:
    void drawSkyBox();
    void drawDisks();
    void drawSun();
    void drawRectangle();

    const gfx::FastPaths paths;
    std::vector<Drop> drops;
    unsigned int diskBuffer = 0;
    unsigned int diskTriangles = 0;  // the disk's rim as few large triangles
    unsigned int rectangleBuffer = 0;
    float time = 0.0f;
    int segments = 360;
};
