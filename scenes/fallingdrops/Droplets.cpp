#include "scenes/fallingdrops/Droplets.h"

#include "gfx/ShapeBuffers.h"
#include "gfx/StencilInversion.h"
#include "gfx/ViewWindow.h"

#include <array>
#include <cstddef>
#include <cstdlib>

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
    // only the parity of the shapes over a pixel counts. A ring that misses
    // the view does nothing. A ring is the disk of its outer rim less the disk
    // of its inner rim (its hole), and the disk of its outer rim is the whole
    // view less the ring twice its size, wherever that one's outer rim holds
    // the view: so the ring may instead invert the whole view, its hole and
    // the ring twice its size. Big rings mostly over the view fill far less
    // that way, and every ring drawn that way shares one rectangle over the
    // view (two cancel). Each ring goes the cheaper way, the rectangle's cost
    // counted; the rims are the ring's own, vertex for vertex.
    const gfx::ViewWindow view = gfx::currentViewWindow();
    struct Choice
    {
        const Drop* drop;
        float r;
        gfx::RingCost cost;
        bool flipped;
    };
    std::array<Choice, dropmotion::kDropCount> choices{};
    std::size_t count = 0;
    int flips = 0;
    for (const Drop& drop : drops) {
        const float r = dropmotion::ringRadius(drop.phase, time);
        if (!(r > 0.0f) || count == choices.size())
            continue;
        const gfx::RingCost cost = gfx::ringCost(view, segments, drop.x, drop.y, r);
        if (cost.reach == gfx::RingReach::Misses)
            continue;
        const bool flipped = cost.flipped >= 0 && cost.flipped < cost.direct;
        choices[count++] = {&drop, r, cost, flipped};
        flips += flipped ? 1 : 0;
    }
    if (flips % 2 == 1) {
        // An odd count needs the rectangle, unless turning one ring the other
        // way costs less than it.
        Choice* cheapest = nullptr;
        int least = gfx::kRingGridPoints;
        for (std::size_t i = 0; i < count; ++i) {
            const gfx::RingCost& c = choices[i].cost;
            const int change = c.flipped < 0 ? gfx::kRingGridPoints : std::abs(c.direct - c.flipped);
            if (change < least) {
                least = change;
                cheapest = &choices[i];
            }
        }
        if (cheapest) {
            cheapest->flipped = !cheapest->flipped;
            flips += cheapest->flipped ? 1 : -1;
        }
    }

    {
        const gfx::VertexArray rings(ringBuffer);
        for (std::size_t i = 0; i < count; ++i) {
            const Choice& c = choices[i];
            if (!c.flipped)
                rings.drawPlaced(GL_TRIANGLE_STRIP, gfx::ringVertexCount(segments), c.drop->x, c.drop->y, c.r);
            else if (c.cost.outerMeetsView)
                rings.drawPlaced(GL_TRIANGLE_STRIP, gfx::ringVertexCount(segments), c.drop->x, c.drop->y, 2.0f * c.r);
        }
    }
    {
        const gfx::VertexArray disks(diskBuffer);
        for (std::size_t i = 0; i < count; ++i) {
            const Choice& c = choices[i];
            if (c.flipped && c.cost.holeMeetsView)
                disks.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(segments), c.drop->x, c.drop->y, c.r);
        }
    }
    if (flips % 2 == 1)
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
