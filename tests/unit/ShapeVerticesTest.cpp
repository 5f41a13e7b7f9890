#include "gfx/ShapeVertices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using gfx::Trig;

namespace {

constexpr int kSegments = 360;

struct Vertex
{
    float x, y;
};

// Checked: a buffer sized too small by the counts fails here.
Vertex vertexAt(const std::vector<float>& floats, int index)
{
    return {floats.at(static_cast<std::size_t>(2 * index)), floats.at(static_cast<std::size_t>(2 * index + 1))};
}

} // namespace

TEST(ShapeVertices, RimAngleIsRoundedDoubleAndClosesAtZero)
{
    EXPECT_EQ(gfx::rimAngle(0, kSegments), 0.0f);
    EXPECT_EQ(gfx::rimAngle(90, kSegments), static_cast<float>(90.0 * 6.283185307179586 / 360.0));
    EXPECT_EQ(gfx::rimAngle(kSegments, kSegments), 0.0f);
}

// The centre, then the rim on the unit circle in order, closing without a seam.
TEST(ShapeVertices, DiskIsTheCentreThenTheRimClosingWithoutSeam)
{
    for (Trig trig : {Trig::Single, Trig::Double}) {
        std::vector<float> disk(static_cast<std::size_t>(gfx::diskFloatCount(kSegments)), -9.0f);
        ASSERT_EQ(gfx::diskVertexCount(kSegments), kSegments + 2);
        ASSERT_EQ(disk.size(), 2u * (kSegments + 2));
        gfx::fillUnitDisk(disk.data(), kSegments, trig);
        EXPECT_EQ(vertexAt(disk, 0).x, 0.0f);
        EXPECT_EQ(vertexAt(disk, 0).y, 0.0f);
        for (int i : {1, kSegments + 1}) {
            EXPECT_EQ(vertexAt(disk, i).x, 1.0f);
            EXPECT_EQ(vertexAt(disk, i).y, 0.0f);
        }
        for (int i = 1; i <= kSegments + 1; ++i) {
            const Vertex v = vertexAt(disk, i);
            EXPECT_NEAR(std::hypot(v.x, v.y), 1.0, 1e-6) << "rim vertex " << i;
        }
        // A quarter of the way round is straight up.
        EXPECT_NEAR(vertexAt(disk, 91).x, 0.0f, 1e-7);
        EXPECT_EQ(vertexAt(disk, 91).y, 1.0f);
        // Each precision rounds its own way (at 103 of 360 steps the two differ).
        const float a = gfx::rimAngle(103, kSegments);
        const float c = trig == Trig::Single ? std::cos(a) : static_cast<float>(std::cos(static_cast<double>(a)));
        EXPECT_EQ(vertexAt(disk, 104).x, c) << (trig == Trig::Single ? "single" : "double");
    }
}

TEST(ShapeVertices, RingPairsInnerAndOuterRimAndCloses)
{
    std::vector<float> ring(static_cast<std::size_t>(gfx::ringFloatCount(kSegments)));
    ASSERT_EQ(gfx::ringVertexCount(kSegments), 2 * (kSegments + 1));
    ASSERT_EQ(ring.size(), 4u * (kSegments + 1));
    gfx::fillUnitRing(ring.data(), kSegments, Trig::Single);
    for (int i = 0; i <= kSegments; ++i) {
        const Vertex inner = vertexAt(ring, 2 * i);
        const Vertex outer = vertexAt(ring, 2 * i + 1);
        EXPECT_EQ(outer.x, inner.x * 2.0f);
        EXPECT_EQ(outer.y, inner.y * 2.0f);
    }
    for (int i : {0, 2 * kSegments}) {
        EXPECT_EQ(vertexAt(ring, i).x, 1.0f);
        EXPECT_EQ(vertexAt(ring, i).y, 0.0f);
    }
}

TEST(ShapeVertices, RectangleIsATriangleStripOfTheHalfSize)
{
    float rectangle[gfx::kRectangleFloatCount];
    gfx::fillRectangle(rectangle, 100.0f);
    const float expected[] = {-100, -100, 100, -100, -100, 100, 100, 100};
    for (int i = 0; i < gfx::kRectangleFloatCount; ++i)
        EXPECT_EQ(rectangle[i], expected[i]);
}

// The disk cut into a few large triangles covers the rim polygon exactly: as
// many triangles as any triangulation has, every rim edge in exactly one of
// them, no triangle turned over and their areas adding up to the polygon's.
TEST(DiskTriangulation, CutsTheRimPolygonIntoTrianglesThatTileIt)
{
    for (const int segments : {3, 4, 7, 64, 360}) {
        std::vector<float> disk(static_cast<std::size_t>(gfx::diskFloatCount(segments)));
        gfx::fillUnitDisk(disk.data(), segments, gfx::Trig::Double);
        std::vector<unsigned short> indices(static_cast<std::size_t>(gfx::diskTriangulationIndexCount(segments)));
        gfx::fillDiskTriangulation(indices.data(), segments);
        ASSERT_EQ(indices.size(), static_cast<std::size_t>(3 * (segments - 2)));

        const auto x = [&](int i) { return static_cast<double>(disk[static_cast<std::size_t>(2 * i)]); };
        const auto y = [&](int i) { return static_cast<double>(disk[static_cast<std::size_t>(2 * i + 1)]); };
        // The rim runs from vertex 1 round to vertex segments + 1, the same point.
        const auto rimSlot = [segments](int i) { return i == segments + 1 ? 1 : i; };
        std::vector<int> rimEdgeUses(static_cast<std::size_t>(segments + 1), 0);
        double area = 0.0;
        for (std::size_t t = 0; t < indices.size(); t += 3) {
            const int a = indices[t];
            const int b = indices[t + 1];
            const int c = indices[t + 2];
            for (const int v : {a, b, c})
                ASSERT_TRUE(v >= 1 && v <= segments + 1) << "only rim vertices";
            const double twice = (x(b) - x(a)) * (y(c) - y(a)) - (x(c) - x(a)) * (y(b) - y(a));
            EXPECT_GT(twice, 0.0) << "counter-clockwise, with area";
            area += twice / 2.0;
            for (const auto& edge : {std::make_pair(a, b), std::make_pair(b, c), std::make_pair(a, c)}) {
                const int lo = std::min(rimSlot(edge.first), rimSlot(edge.second));
                const int hi = std::max(rimSlot(edge.first), rimSlot(edge.second));
                if (hi == lo + 1)
                    ++rimEdgeUses[static_cast<std::size_t>(lo)];
                else if (lo == 1 && hi == segments)
                    ++rimEdgeUses[static_cast<std::size_t>(segments)];  // the edge that closes the rim
            }
        }
        for (int i = 1; i <= segments; ++i)
            EXPECT_EQ(rimEdgeUses[static_cast<std::size_t>(i)], 1) << "rim edge " << i << " of " << segments;
        double polygon = 0.0;
        for (int i = 1; i <= segments; ++i)
            polygon += (x(i) * y(i + 1) - x(i + 1) * y(i)) / 2.0;
        EXPECT_NEAR(area, polygon, 1e-9) << segments << " segments";
    }
}
