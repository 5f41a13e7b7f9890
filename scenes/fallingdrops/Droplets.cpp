#include "scenes/fallingdrops/Droplets.h"

#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "gfx/ViewWindow.h"
#include "scenes/fallingdrops/RingCost.h"

#include <array>
#include <cstddef>

namespace {

// Large enough to cover the window however far the camera zooms out or scrolls.
constexpr float kRectangleHalfSize = 100.0f;

} // namespace

Droplets::Droplets(const gfx::FastPaths& fastPaths)
    : paths(fastPaths)
{
    // Buffers first, then the drops: rectangle, ring, disk. The rims take
    // single-precision cosine and sine.
    rectangleBuffer = gfx::createRectangleBuffer(kRectangleHalfSize);
    ringBuffer = gfx::createUnitRingBuffer(segments, gfx::Trig::Single);
    diskBuffer = gfx::createUnitDiskBuffer(segments, gfx::Trig::Single);
    drops = dropmotion::scatterDrops();
}

Droplets::~Droplets() = default;

void Droplets::draw(float t)
{
    time = t;
    const dropmotion::CameraPose camera = dropmotion::cameraPoseAt(t);
    glPushMatrix();
    glScalef(camera.zoom, camera.zoom, 1.0f);
    if (camera.scrolls) {
        glTranslatef(0.0f, camera.lift, 0.0f);
        glScalef(camera.settleZoom, camera.settleZoom, 1.0f);
    }
    drawInvertedCircles();
    drawDrops();
    glPopMatrix();
}

void Droplets::drawInvertedCircles()
{
    gfx::drawInverted([this] { drawCircles(); }, [this] { drawRectangle(); });
}

void Droplets::drawCircles()
{
    // Each ring inverts the stencil where it lies, and inversions commute:
    // only the parity of the shapes over a pixel counts. A ring that misses
    // the view does nothing; the others go the cheaper of two ways that leave
    // the same parity (scenes/fallingdrops/RingCost.h), their rims the ring's
    // own, vertex for vertex.
    std::array<Ring, kMostRings> rings{};
    int count = 0;
    for (const Drop& drop : drops) {
        const float r = dropmotion::ringRadius(drop.phase, time);
        if (r > 0.0f && count < kMostRings)
            rings[static_cast<std::size_t>(count++)] = {drop.x, drop.y, r};
    }
    const gfx::ViewWindow view = gfx::visibleWindow(paths);
    const RingWays ways = chooseRingWays(view, segments, rings, count);
    const std::array<RingDraw, kMostRings>& draws = ways.draws;
    {
        const gfx::VertexArray ringShapes(ringBuffer);
        for (int i = 0; i < ways.count; ++i) {
            const RingDraw& d = draws[static_cast<std::size_t>(i)];
            if (d.ringScale > 0.0f)
                ringShapes.drawPlaced(GL_TRIANGLE_STRIP, gfx::ringVertexCount(segments), d.x, d.y, d.ringScale);
        }
    }
    {
        const gfx::VertexArray holes(diskBuffer);
        for (int i = 0; i < ways.count; ++i) {
            const RingDraw& d = draws[static_cast<std::size_t>(i)];
            if (d.holeScale > 0.0f)
                holes.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(segments), d.x, d.y, d.holeScale);
        }
    }
    if (ways.invertsView)
        glRectf(view.left, view.bottom, view.right, view.top);
}

void Droplets::drawDrops()
{
    // Set up: blending for the drops' colours.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        // Draw: every drop that has emerged, in array order.
        const gfx::VertexArray disks(diskBuffer);
        dropmotion::DropPose pose{};
        for (const Drop& drop : drops) {
            if (!dropmotion::dropPoseAt(drop, time, pose))
                continue;
            glColor4f(pose.red, pose.green, pose.blue, pose.alpha);
            disks.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(segments), pose.x, pose.y, pose.scale);
        }
    }
    // Switch off: the vertex array went with `disks`; blending last.
    glDisable(GL_BLEND);
}

void Droplets::drawRectangle()
{
    gfx::drawBuffer(rectangleBuffer, GL_TRIANGLE_STRIP, gfx::kRectangleVertexCount);
}
