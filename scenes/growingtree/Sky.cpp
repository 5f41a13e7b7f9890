#include "scenes/growingtree/Sky.h"

#include "gfx/Gl.h"
#include "gfx/Random.h"
#include "gfx/ShapeBuffers.h"
#include "gfx/ViewWindow.h"
#include "scenes/shared/Sun.h"

#include <algorithm>

namespace {

constexpr int kDropCount = 10;
// Phases from (-1.8, -0.3]: each disk appears between 3 and 18 s.
constexpr double kPhaseSpread = -1.5;
constexpr float kPhaseOffset = 0.3f;
constexpr float kDiskGrowth = 0.1f;  // radius per second

// The sky box: fades in from 6 s over 5 s, out over 1 s from 16.5 s, and turns
// from dark grey-blue to blue over 1 / 0.11 s.
constexpr float kBoxStart = 6.0f;
constexpr float kBoxFadeIn = 0.2f;
constexpr float kBoxFadeOutAfter = 10.5f;
constexpr float kBoxBlueRate = 0.11f;
constexpr float kBoxRedGreen = 0.1f;
constexpr float kBoxBlueFrom = 0.1f;
constexpr float kBoxBlueTo = 0.3f;

constexpr float kDiskColour[4] = {0.6f, 0.6f, 0.1f, 0.45f};

} // namespace

Sky::Sky(const gfx::FastPaths& fastPaths)
    : paths(fastPaths)
{
    rectangleBuffer = gfx::createRectangleBuffer(1.0f);
    diskBuffer = gfx::createUnitDiskBuffer(segments, gfx::Trig::Double);
    diskTriangles = gfx::createDiskTriangulationBuffer(segments);
    drops.reserve(kDropCount);
    for (int k = 0; k < kDropCount; ++k) {
        // Double precision with 0.3 as its float value, rounded.
        const float r = rnd();
        const float phase = static_cast<float>(static_cast<double>(r) * kPhaseSpread - static_cast<double>(kPhaseOffset));
        drops.push_back({0.0f, 0.0f, phase});
    }
}

Sky::~Sky() = default;

void Sky::draw(float t)
{
    time = t;
    drawSkyBox();
    drawDisks();
    drawSun();
}

sky::SkyBand Sky::boxAt(float t)
{
    const float u = t - kBoxStart;
    const float fadeIn = std::clamp(std::min(kBoxFadeIn * u, 1.0f), 0.0f, 1.0f);
    const float v = u - kBoxFadeOutAfter;
    const float fadeOut = v < 0.0f ? 1.0f : v > 1.0f ? 0.0f : 1.0f - v;
    const float w = std::min(kBoxBlueRate * u, 1.0f);
    // The blue range (0.3 - 0.1) is formed in single precision.
    const float blue = w < 0.0f ? kBoxBlueFrom : kBoxBlueFrom + (kBoxBlueTo - kBoxBlueFrom) * w;
    // The unit rectangle halved and lifted: the extent above.
    constexpr float kHalfHeight = (kBoxExtent.top - kBoxExtent.bottom) / 2.0f;
    return {kBoxRedGreen, kBoxRedGreen, blue, fadeIn * fadeOut, kBoxExtent.bottom + kHalfHeight, kHalfHeight};
}

void Sky::drawSkyBox()
{
    if (time - kBoxStart < 0.0f)
        return;
    sky::drawSkyBand(boxAt(time), [this]() { drawRectangle(); });
}

void Sky::drawDisks()
{
    const gfx::ViewWindow view = gfx::visibleWindow(paths);
    glEnable(GL_BLEND);
    glColor4f(kDiskColour[0], kDiskColour[1], kDiskColour[2], kDiskColour[3]);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        const gfx::VertexArray disk(diskBuffer);
        for (const Drop& drop : drops) {
            const float r = time * kDiskGrowth + drop.phase;
            if (r < 0.0f)
                continue;
            disk.drawDisk(view, segments, -drop.x, -drop.y, r, diskTriangles);
        }
    }
    glDisable(GL_BLEND);
}

void Sky::drawSun()
{
    sky::drawSun(time, diskBuffer, segments);
}

void Sky::drawRectangle()
{
    gfx::drawBuffer(rectangleBuffer, GL_TRIANGLE_STRIP, gfx::kRectangleVertexCount);
}
