// The view window and what culling decides from it: which part of model space
// a view shows, which segments, rings and disks can reach it, and that a
// generation with a window counts every segment but stores only those.

#include "gfx/ShapeVertices.h"
#include "gfx/ViewWindow.h"
#include "growth/BranchBuffer.h"
#include "scenes/crashframe/Explosion.h"
#include "scenes/fallingdrops/RingCost.h"
#include "scenes/runningoff/RunningHills.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

using Matrix = std::array<float, 16>;

// x' = sx x + tx, y' = sy y + ty, column-major as glGetFloatv gives it.
Matrix scaleAndShift(float sx, float sy, float tx = 0.0f, float ty = 0.0f)
{
    return {sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, 1, 0, tx, ty, 0, 1};
}

const Matrix kIdentity = scaleAndShift(1.0f, 1.0f);
// The surface's projection of a 1280x720 window.
const Matrix kWide = scaleAndShift(1.0f, 1.0f / 0.5625f);

// A 16:9 view with its margin, as the components see it.
const gfx::ViewWindow kView = {-1.00625f, 1.00625f, -0.56875f, 0.56875f};

} // namespace

TEST(ViewWindow, IsTheViewInModelUnitsGrownBeyondASmoothLinesFringe)
{
    const struct
    {
        const char* what;
        Matrix model;
        float margin;
        gfx::ViewWindow expected;
    } rows[] = {
        {"the projection alone", kIdentity, 0.0f, {-1.0f, 1.0f, -0.5625f, 0.5625f}},
        // Four pixels of 2/1280 units each side, and of 1.125/720 units: well
        // beyond the 1.5 pixels a smooth line reaches.
        {"with the margin culling uses", kIdentity, gfx::kCullMarginPixels, kView},
        // glTranslatef(0.5, -0.25, 0) then glScalef(2, 4, 1): model x maps to 2x + 0.5.
        {"scaled and shifted", scaleAndShift(2.0f, 4.0f, 0.5f, -0.25f), 0.0f,
         {-0.75f, 0.25f, (-0.5625f + 0.25f) / 4.0f, (0.5625f + 0.25f) / 4.0f}},
    };
    for (const auto& row : rows) {
        const gfx::ViewWindow w = gfx::viewWindowFrom(row.model.data(), kWide.data(), 1280, 720, row.margin);
        EXPECT_FLOAT_EQ(w.left, row.expected.left) << row.what;
        EXPECT_FLOAT_EQ(w.right, row.expected.right) << row.what;
        EXPECT_FLOAT_EQ(w.bottom, row.expected.bottom) << row.what;
        EXPECT_FLOAT_EQ(w.top, row.expected.top) << row.what;
    }
}

TEST(ViewWindow, IsUnboundedForRotationsFlatteningAndEmptyViewports)
{
    Matrix rotated = kIdentity;
    rotated[0] = rotated[5] = 0.0f;
    rotated[1] = 1.0f;
    rotated[4] = -1.0f;
    EXPECT_FALSE(gfx::viewWindowFrom(rotated.data(), kWide.data(), 1280, 720).isBounded());
    Matrix flat = kIdentity;
    flat[5] = 0.0f;
    EXPECT_FALSE(gfx::viewWindowFrom(flat.data(), kWide.data(), 1280, 720).isBounded());
    EXPECT_FALSE(gfx::viewWindowFrom(kIdentity.data(), kWide.data(), 0, 720).isBounded());
}

TEST(ViewWindow, SegmentsMeetItWhenTheirBoxesDo)
{
    EXPECT_TRUE(kView.mayTouch(-2.0f, 0.0f, 2.0f, 0.1f)) << "crossing with both ends outside";
    EXPECT_TRUE(kView.mayTouch(1.0f, 0.5f, 1.0f, 0.5f)) << "a point inside";
    EXPECT_FALSE(kView.mayTouch(1.1f, -0.5f, 1.3f, 0.5f)) << "beside it";
    EXPECT_FALSE(kView.mayTouch(-0.5f, 0.6f, 0.5f, 0.9f)) << "above it";
    EXPECT_TRUE(gfx::ViewWindow::everywhere().mayTouch(1e30f, 1e30f, 2e30f, 2e30f));
}

TEST(ViewWindow, TellsDisksThatHoldItFromDisksThatMeetIt)
{
    // The corners lie at distance sqrt(1.00625^2 + 0.56875^2), about 1.1559.
    EXPECT_TRUE(kView.insideDisk(0.0f, 0.0f, 1.16f));
    EXPECT_FALSE(kView.insideDisk(0.0f, 0.0f, 1.15f));
    EXPECT_TRUE(kView.meetsDisk(0.0f, 2.0f, 1.44f)) << "reaches down to y 0.56";
    EXPECT_FALSE(kView.meetsDisk(0.0f, 2.0f, 1.42f));
    EXPECT_FALSE(gfx::ViewWindow::everywhere().insideDisk(0.0f, 0.0f, 1e30f));
}

TEST(ViewWindow, InscribedRadiusLiesInsideEveryRimEdge)
{
    for (const gfx::Trig trig : {gfx::Trig::Single, gfx::Trig::Double}) {
        for (const int segments : {3, 64, 360}) {
            std::vector<float> disk(static_cast<std::size_t>(gfx::diskFloatCount(segments)));
            gfx::fillUnitDisk(disk.data(), segments, trig);
            const double inner = gfx::inscribedRadius(segments, 1.0f);
            // Distance of the origin from the line through consecutive rim vertices.
            for (int i = 1; i <= segments; ++i) {
                const double x0 = disk[static_cast<std::size_t>(2 * i)];
                const double y0 = disk[static_cast<std::size_t>(2 * i + 1)];
                const double x1 = disk[static_cast<std::size_t>(2 * i + 2)];
                const double y1 = disk[static_cast<std::size_t>(2 * i + 3)];
                const double distance = std::abs(x0 * y1 - x1 * y0) / std::hypot(x1 - x0, y1 - y0);
                ASSERT_GT(distance, inner) << segments << " segments, edge " << i;
            }
        }
    }
    EXPECT_EQ(gfx::inscribedRadius(2, 1.0f), 0.0f);
}

TEST(RingReach, SortsRingsByWhatTheyDoToTheView)
{
    constexpr int kSegments = 360;
    EXPECT_EQ(ringReach(kView, kSegments, 5.0f, 5.0f, 1.0f), RingReach::Misses) << "far away";
    EXPECT_EQ(ringReach(kView, kSegments, 0.0f, 0.0f, 1.2f), RingReach::Misses) << "view in the hole";
    EXPECT_EQ(ringReach(kView, kSegments, 0.0f, 3.0f, 2.0f), RingReach::CoversAll) << "view in the band";
    EXPECT_EQ(ringReach(kView, kSegments, 0.0f, 0.0f, 0.6f), RingReach::CoversAllButHole);
    EXPECT_EQ(ringReach(kView, kSegments, 0.0f, 0.0f, 0.4f), RingReach::Partly) << "outer rim in view";
    EXPECT_EQ(ringReach(gfx::ViewWindow::everywhere(), kSegments, 0.0f, 0.0f, 0.4f), RingReach::Partly);
}

TEST(RingReach, CountsWhatEachWayOfDrawingARingFills)
{
    constexpr int kSegments = 360;
    // The view mostly in the band, reaching past its outer rim a little: the
    // flipped way fills a sliver, the ring itself nearly all of the view.
    const RingCost band = ringCost(kView, kSegments, 0.0f, -2.0f, 1.3f);
    EXPECT_EQ(band.direct + band.flipped, kRingGridPoints);
    EXPECT_LT(band.flipped, band.direct);
    EXPECT_FALSE(band.holeMeetsView);
    // The view mostly in the hole, the band in its corners: the ring is cheaper.
    const RingCost hole = ringCost(kView, kSegments, 0.0f, 0.0f, 1.1f);
    EXPECT_GT(hole.flipped, hole.direct);
    EXPECT_FALSE(hole.outerMeetsView);
    // Beyond twice the outer rim there is no flipped way.
    EXPECT_EQ(ringCost(kView, kSegments, 0.0f, -1.2f, 0.3f).flipped, -1);
    // A ring over the whole view costs nothing flipped.
    const RingCost all = ringCost(kView, kSegments, 0.0f, 3.0f, 2.0f);
    EXPECT_EQ(all.reach, RingReach::CoversAll);
    EXPECT_EQ(all.flipped, 0);
}

TEST(BranchBufferWindow, CountsEverySegmentAndKeepsOnlyThoseThatMayBeSeen)
{
    std::vector<float> memory(16, -1.0f);
    branching::BranchBuffer buffer{nullptr, 0, 16};
    buffer.begin(memory.data(), kView);
    buffer.appendSegment(0.0f, 0.0f, 0.1f, 0.1f);  // seen
    buffer.appendSegment(3.0f, 3.0f, 3.1f, 3.1f);  // not
    buffer.appendSegment(-0.5f, 0.2f, -0.4f, 0.3f);  // seen
    EXPECT_EQ(buffer.used, 12);
    EXPECT_EQ(buffer.kept, 8);
    EXPECT_EQ(buffer.vertexCount(), 4);
    EXPECT_EQ(std::vector<float>(memory.begin(), memory.begin() + 8),
              (std::vector<float>{0.0f, 0.0f, 0.1f, 0.1f, -0.5f, 0.2f, -0.4f, 0.3f}));
    EXPECT_TRUE(buffer.hasRoomForSegment());
    buffer.appendSegment(5.0f, 5.0f, 5.1f, 5.1f);
    EXPECT_FALSE(buffer.hasRoomForSegment()) << "the capacity counts what was made, not what was kept";
}

TEST(HillStrip, DrawsOnlyTheColumnsInViewAndNothingOffIt)
{
    const auto range = [](float l, float r, float b, float t) { return RunningHills::visibleStrip({l, r, b, t}); };
    // Columns 125 .. 150 span 10 .. 12; one more column on either side.
    const RunningHills::StripRange middle = range(10.0f, 12.0f, -1.0f, 1.0f);
    EXPECT_EQ(middle.firstVertex, 2 * 124);
    EXPECT_EQ(middle.vertexCount, 2 * (152 - 124 + 1));
    EXPECT_EQ(range(-3.0f, 0.5f, -1.0f, 1.0f).firstVertex, 0) << "clamped at the first column";
    EXPECT_EQ(range(10.0f, 12.0f, 0.01f, 1.0f).vertexCount, 0) << "above the strip's highest point";
    EXPECT_EQ(range(10.0f, 12.0f, -300.0f, -101.0f).vertexCount, 0) << "below its foot";
    EXPECT_EQ(range(801.0f, 805.0f, -1.0f, 1.0f).vertexCount, 0) << "beyond its end";
    EXPECT_EQ(RunningHills::visibleStrip(gfx::ViewWindow::everywhere()).vertexCount,
              2 * RunningHills::kTerrainColumns);
}

TEST(ExplosionCover, BlackensTheViewOnceTheDiskHoldsItAndWhitensItWhenOpaque)
{
    // The corners lie about 1.156 from the centre.
    EXPECT_FALSE(Explosion::blackensView(2.5f, kView)) << "radius 1.125";
    EXPECT_TRUE(Explosion::blackensView(2.6f, kView)) << "radius 1.17";
    EXPECT_TRUE(Explosion::blackensView(10.0f / 3.0f, kView));
    EXPECT_FALSE(Explosion::whitensView(12.4f, kView)) << "white still translucent";
    EXPECT_TRUE(Explosion::whitensView(12.5f, kView));
    EXPECT_FALSE(Explosion::blackensView(14.0f, gfx::ViewWindow::everywhere()));
}
