#include "scenes/runningoff/RunningHills.h"

// Sections: the layers' constants | pure pieces (placement, terrain, the strip
// in view, the sky's colour) | the frame: planning what each layer draws and
// hides, then sky box, hills and sun.

#include "gfx/Gl.h"
#include "gfx/HiddenRect.h"
#include "gfx/ScissorOutside.h"
#include "gfx/ShapeBuffers.h"
#include "scenes/shared/SkyBand.h"
#include "scenes/shared/Sun.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr float kTerrainStep = 0.08f;
constexpr float kTerrainWave = 0.1f;
constexpr float kTerrainBottom = -100.0f;
constexpr int kFloatsPerColumn = 4;

// The hills rise at 3 s and start to scroll 0.7 s later.
constexpr float kHillsStart = 3.0f;
constexpr float kScrollDelay = 0.7f;
constexpr float kBobRate = 4.0f;
constexpr double kBobDepth = -2.0;
constexpr float kGreyPerDepth = -0.4f;
constexpr float kGreyBase = 0.9f;
constexpr float kStretchBase = 11.0f;

// The sky box fades in from 6 s over 5 s to opaque (0.6, 0.6, 0.1).
constexpr float kSkyStart = 6.0f;
constexpr float kSkyFadeIn = 0.2f;
constexpr float kSkyYellow = 0.6f;
constexpr float kSkyBlue = 0.1f;

// Far to near, the order they are drawn in.
constexpr std::array<RunningHills::Hill, RunningHills::kLayers> kHills = {
    {RunningHills::hillLayer(5), RunningHills::hillLayer(4), RunningHills::hillLayer(3), RunningHills::hillLayer(2),
     RunningHills::hillLayer(1)}};

} // namespace

RunningHills::HillPlacement RunningHills::placeHill(const Hill& hill, float t)
{
    const float v = t - kHillsStart;
    const float bobPhase = kBobRate * v;
    const float scrollTime = std::max(v - kScrollDelay, 0.0f);
    const float inv = 1.0f / hill.depth;
    // Left to right in single precision: depth * -0.4 / 10 + 0.9.
    const float grey = hill.depth * kGreyPerDepth / 10.0f + kGreyBase;
    // The phase is single precision; cosine, product and sum are double, rounded.
    const float ty = static_cast<float>(static_cast<double>(hill.y) +
                                        std::cos(static_cast<double>(bobPhase * inv)) * kBobDepth);
    return {grey, ty, scrollTime, kStretchBase - hill.depth};
}

std::vector<float> RunningHills::makeTerrain()
{
    std::vector<float> terrain(static_cast<std::size_t>(kTerrainColumns * kFloatsPerColumn));
    for (int k = 0; k < kTerrainColumns; ++k) {
        const float x = static_cast<float>(k) * kTerrainStep;
        // Double precision with 0.1 as its float value, rounded.
        const double wave = static_cast<double>(kTerrainWave);
        float* column = terrain.data() + kFloatsPerColumn * k;
        column[0] = x;
        column[1] = static_cast<float>(std::cos(static_cast<double>(x)) * wave - wave);
        column[2] = x;
        column[3] = kTerrainBottom;
    }
    return terrain;
}

RunningHills::StripRange RunningHills::visibleStrip(const gfx::ViewWindow& view)
{
    constexpr int kLastColumn = kTerrainColumns - 1;
    const StripRange all{0, 2 * kTerrainColumns};
    // The strip's top edge never rises above 0, and it reaches down to -100.
    if (view.bottom > 0.0f || view.top < kTerrainBottom)
        return {0, 0};
    if (!(std::isfinite(view.left) && std::isfinite(view.right)))
        return all;
    // Column k lies at k * 0.08; one column more on either side, so every
    // triangle reaching into the window is kept.
    const double first = std::floor(static_cast<double>(view.left) / kTerrainStep) - 1.0;
    const double last = std::ceil(static_cast<double>(view.right) / kTerrainStep) + 1.0;
    if (last < 0.0 || first > kLastColumn)
        return {0, 0};
    const int k0 = static_cast<int>(std::max(first, 0.0));
    const int k1 = static_cast<int>(std::min(last, static_cast<double>(kLastColumn)));
    if (k1 <= k0)
        return {0, 0};
    return {2 * k0, 2 * (k1 - k0 + 1)};
}

RunningHills::SkyColour RunningHills::skyColourAt(float t)
{
    const float w = kSkyFadeIn * (t - kSkyStart);
    const float alpha = w < 0.0f ? 0.0f : w > 1.0f ? 1.0f : w;
    return {kSkyYellow * alpha, alpha};
}

RunningHills::RunningHills(const gfx::FastPaths& fastPaths)
    : paths(fastPaths)
{
    diskBuffer = gfx::createUnitDiskBuffer(segments, gfx::Trig::Double);
    rectangleBuffer = gfx::createRectangleBuffer(1.0f);
    terrainVertices = makeTerrain();
    terrainBuffer = gfx::uploadStaticBuffer(terrainVertices);
    hills.assign(kHills.begin(), kHills.end());
}

RunningHills::~RunningHills() = default;

void RunningHills::draw(float t)
{
    time = t;
    planLayers();
    {
        // The opaque hills paint over the sky box's lower part.
        // A height gives at most one part of the view to draw.
        gfx::ScissorOutside visible(gfx::hiddenBelow(hiddenByLayersFrom(0)));
        if (!visible.hidesAll()) {
            visible.select(0);
            drawSkyBox();
        }
    }
    drawHills();
    drawSun();
}

void RunningHills::planLayers()
{
    const int vertexCount = static_cast<int>(terrainVertices.size()) / 2;
    plans.fill({{0, vertexCount}, gfx::kHeightHidingNothing});
    const gfx::ViewWindow view = gfx::visibleWindow(paths);
    if (!view.isBounded() || time - kHillsStart < 0.0f)
        return;
    for (std::size_t i = 0; i < hills.size(); ++i) {
        const Hill& hill = hills[i];
        const HillPlacement place = placeHill(hill, time);
        const float inv = 1.0f / hill.depth;
        const float shift = hill.x - scrollSpeed * place.scrollTime;
        // A layer without height (the farthest) has triangles of no area and
        // covers no pixel.
        if (place.stretch == 0.0f) {
            plans[i].strip = {0, 0};
            continue;
        }
        // The view in the strip's own units: x' = (X + shift) / depth and
        // y' = (stretch Y + ty) / depth.
        const gfx::ViewWindow strip{view.left * hill.depth - shift, view.right * hill.depth - shift,
                                    (view.bottom * hill.depth - place.ty) / place.stretch,
                                    (view.top * hill.depth - place.ty) / place.stretch};
        plans[i].strip = visibleStrip(strip);
        if (plans[i].strip.vertexCount == 0)
            continue;
        // Below the lowest top vertex in view, the opaque strip covers every
        // pixel, provided it reaches past both sides of the view.
        const int firstColumn = plans[i].strip.firstVertex / 2;
        const int lastColumn = firstColumn + plans[i].strip.vertexCount / 2 - 1;
        const auto columnX = [&](int k) {
            return (terrainVertices[static_cast<std::size_t>(kFloatsPerColumn * k)] + shift) * inv;
        };
        if (!(columnX(firstColumn) < view.left && columnX(lastColumn) > view.right))
            continue;
        float lowest = 0.0f;
        for (int k = firstColumn; k <= lastColumn; ++k)
            lowest = std::min(lowest, terrainVertices[static_cast<std::size_t>(kFloatsPerColumn * k + 1)]);
        plans[i].topInView = static_cast<float>((static_cast<double>(place.stretch) * lowest + place.ty) * inv);
    }
}

float RunningHills::hiddenByLayersFrom(std::size_t first) const
{
    float level = gfx::kHeightHidingNothing;
    for (std::size_t i = first; i < plans.size(); ++i)
        level = std::max(level, plans[i].topInView);
    return level;
}

void RunningHills::drawSkyBox()
{
    if (time - kSkyStart < 0.0f)
        return;
    const SkyColour colour = skyColourAt(time);
    // Unlike the growing tree's band this one is not halved: it reaches from -0.5 to 1.5.
    const sky::SkyBand band{colour.c, colour.c, kSkyBlue, colour.alpha, 0.5f, 1.0f};
    sky::drawSkyBand(band, [this]() { drawRectangle(); });
}

void RunningHills::drawHills()
{
    if (time - kHillsStart < 0.0f)
        return;

    // Set up.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        const gfx::VertexArray terrain(terrainBuffer);
        // Draw, far to near, so nearer layers cover farther ones.
        for (std::size_t i = 0; i < hills.size(); ++i) {
            const Hill& hill = hills[i];
            const HillPlacement place = placeHill(hill, time);
            const float inv = 1.0f / hill.depth;
            // Only the few columns in view (the strip is 800 units long), and
            // only above what the nearer layers paint over.
            const StripRange strip = plans[i].strip;
            gfx::ScissorOutside visible(gfx::hiddenBelow(hiddenByLayersFrom(i + 1)));
            if (strip.vertexCount == 0 || visible.hidesAll())
                continue;
            visible.select(0);
            glColor4f(place.grey, place.grey, place.grey, 1.0f);
            glPushMatrix();
            glScalef(inv, inv, 1.0f);
            glTranslatef(hill.x, place.ty, 0.0f);
            glTranslatef(-(scrollSpeed * place.scrollTime), 0.0f, 0.0f);
            glScalef(1.0f, place.stretch, 1.0f);
            terrain.drawRange(GL_TRIANGLE_STRIP, strip.firstVertex, strip.vertexCount);
            glPopMatrix();
        }
    }
    // Switch off.
    glDisable(GL_BLEND);
}

void RunningHills::drawSun()
{
    sky::drawSun(time, diskBuffer, segments);
}

void RunningHills::drawRectangle()
{
    gfx::drawBuffer(rectangleBuffer, GL_TRIANGLE_STRIP, gfx::kRectangleVertexCount);
}
