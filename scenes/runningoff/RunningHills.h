#pragma once

// The background of the running off scene, in three layers: a yellow sky box
// that fades in from 6 s, five layers of one wavy terrain strip that rise,
// bob and scroll left with parallax from 3 s on, and the sun on the same arc
// as in the growing tree scene.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "gfx/ViewWindow.h"

#include <array>
#include <cstddef>
#include <vector>

class RunningHills : public ISceneComponent
{
public:
    struct Hill
    {
        float x;      // horizontal offset, in layer units
        float y;      // base vertical offset, in layer units
        float depth;  // drawn at scale 1 / depth, stretched by 11 - depth
    };

    // Layer k of kLayers (5 is the farthest): offsets and depth step by 2 per layer.
    static constexpr std::size_t kLayers = 5;
    // In single precision on purpose: the farthest layer's y is -6/5 + 2, which
    // is 0.79999995, not 0.8f.
    static constexpr Hill hillLayer(int k)
    {
        return {-10.0f + 2.0f * static_cast<float>(5 - k), -6.0f / static_cast<float>(k) + 2.0f,
                11.0f - 2.0f * static_cast<float>(5 - k)};
    }

    // Where a layer is drawn at local time t (from 3 s on): its grey, its
    // vertical bobbing offset and for how long it has scrolled.
    struct HillPlacement
    {
        float grey;
        float ty;          // vertical offset, in layer units
        float scrollTime;  // seconds of scrolling: from 3.7 s on
        float stretch;     // vertical scale of the terrain: 11 - depth
    };
    static HillPlacement placeHill(const Hill& hill, float t);

    static constexpr int kTerrainColumns = 10000;
    // Per column the top vertex on the wave and a bottom vertex at -100.
    static std::vector<float> makeTerrain();

    // The part of the terrain strip to draw for a layer whose strip
    // coordinates see `view`: every triangle that may reach it, from an even
    // vertex so each keeps its corners in their order. Empty when the strip
    // lies wholly above, below or beside the view.
    struct StripRange
    {
        int firstVertex;
        int vertexCount;
    };
    static StripRange visibleStrip(const gfx::ViewWindow& view);

    // The sky box's colour at local time t: (c, c, 0.1, alpha). Only drawn from 6 s on.
    struct SkyColour
    {
        float c;
        float alpha;
    };
    static SkyColour skyColourAt(float t);

    explicit RunningHills(const gfx::FastPaths& paths);  // needs a current GL context
    ~RunningHills() override;
    void draw(float t) override;

private:
    // What each layer draws in this frame, and how much of the view the
    // opaque layers hide of what is drawn before them.
    struct LayerPlan
    {
        StripRange strip;
        float topInView;  // the lowest point of its top edge in view, or kHeightHidingNothing
    };

    void planLayers();
    float hiddenByLayersFrom(std::size_t first) const;
    void drawSkyBox();
    void drawHills();
    void drawSun();
    void drawRectangle();

    const gfx::FastPaths paths;
    float scrollSpeed = 1.2f;
    float time = 0.0f;
    int segments = 360;
    std::vector<Hill> hills;
    unsigned int diskBuffer = 0;
    unsigned int terrainBuffer = 0;
    std::vector<float> terrainVertices;
    unsigned int rectangleBuffer = 0;
    std::array<LayerPlan, kLayers> plans{};  // one per hill, in the same order
};
