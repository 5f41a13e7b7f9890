#include "scenes/fallingdrops/Droplets.h"

#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "gfx/ViewWindow.h"

#include <array>
#include <cstddef>

namespace {

// Large enough to cover the window however far the camera zooms out or scrolls.
constexpr float kRectangleHalfSize = 100.0f;

} // namespace

Droplets::Droplets()
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
    // only the parity of the rings over a pixel counts. So:
    // - a ring that misses the view does nothing;
    // - a ring that covers the whole view inverts every pixel, and two such
    //   rings cancel;
    // - a ring is the disk of its outer rim less the disk of its inner rim
    //   (the hole), so when the view lies within its outer rim it inverts
    //   every pixel but the hole: invert all, then the hole;
    // - and when the view lies within twice the outer rim, what the outer rim
    //   leaves out is the ring of twice the size: invert all, then that ring
    //   and the hole, if they cover less of the view than the ring itself.
    // The rims of these shapes are the ring's own, vertex for vertex. What is
    // left is drawn, then one rectangle over the view if an odd number of
    // shapes inverted all of it.
    const gfx::ViewWindow view = gfx::currentViewWindow();
    bool invertAll = false;
    std::array<const Drop*, dropmotion::kDropCount> holes{};
    std::size_t holeCount = 0;
    {
        const gfx::VertexArray rings(ringBuffer);
        const auto drawRing = [&](const Drop& drop, float r) {
            rings.drawPlaced(GL_TRIANGLE_STRIP, gfx::ringVertexCount(segments), drop.x, drop.y, r);
        };
        for (const Drop& drop : drops) {
            const float r = dropmotion::ringRadius(drop.phase, time);
            if (!(r > 0.0f))
                continue;
            switch (gfx::ringReach(view, segments, drop.x, drop.y, r)) {
            case gfx::RingReach::Misses:
                break;
            case gfx::RingReach::CoversAll:
                invertAll = !invertAll;
                break;
            case gfx::RingReach::CoversAllButHole:
                invertAll = !invertAll;
                holes[holeCount++] = &drop;
                break;
            case gfx::RingReach::Partly:
                if (gfx::outerRingIsSmaller(view, segments, drop.x, drop.y, r)) {
                    invertAll = !invertAll;
                    drawRing(drop, 2.0f * r);
                    holes[holeCount++] = &drop;
                } else {
                    drawRing(drop, r);
                }
                break;
            }
        }
    }
    if (holeCount > 0) {
        const gfx::VertexArray disks(diskBuffer);
        for (std::size_t k = 0; k < holeCount; ++k) {
            const Drop& drop = *holes[k];
            disks.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(segments), drop.x, drop.y,
                             dropmotion::ringRadius(drop.phase, time));
        }
    }
    if (invertAll)
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
