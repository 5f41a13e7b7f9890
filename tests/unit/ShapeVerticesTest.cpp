#include "gfx/ShapeVertices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using gfx::Trig;

namespace {

constexpr int kSegments = 360;

struct Vertex
{
    float x, y;
};

Vertex vertexAt(const std::vector<float>& floats, int index)
{
    return {floats[2 * index], floats[2 * index + 1]};
}

} // namespace

TEST(ShapeVertices, CountsForThreeHundredSixtySegments)
{
    EXPECT_EQ(gfx::diskVertexCount(kSegments), 362);
    EXPECT_EQ(gfx::diskFloatCount(kSegments) * 4, 2896);
    EXPECT_EQ(gfx::ringVertexCount(kSegments), 722);
    EXPECT_EQ(gfx::ringFloatCount(kSegments) * 4, 5776);
    EXPECT_EQ(gfx::kRectangleFloatCount * 4, 32);
}

TEST(ShapeVertices, RimAngleIsRoundedDoubleAndClosesAtZero)
{
    EXPECT_EQ(gfx::rimAngle(0, kSegments), 0.0f);
    EXPECT_EQ(gfx::rimAngle(90, kSegments), static_cast<float>(90.0 * 6.283185307179586 / 360.0));
    EXPECT_EQ(gfx::rimAngle(kSegments, kSegments), 0.0f);
}

TEST(ShapeVertices, DiskStartsAtCentreAndRimClosesWithoutSeam)
{
    for (Trig trig : {Trig::Single, Trig::Double}) {
        std::vector<float> disk(gfx::diskFloatCount(kSegments), -9.0f);
        gfx::fillUnitDisk(disk.data(), kSegments, trig);
        EXPECT_EQ(vertexAt(disk, 0).x, 0.0f);
        EXPECT_EQ(vertexAt(disk, 0).y, 0.0f);
        EXPECT_EQ(vertexAt(disk, 1).x, 1.0f);
        EXPECT_EQ(vertexAt(disk, 1).y, 0.0f);
        EXPECT_EQ(vertexAt(disk, 361).x, 1.0f);
        EXPECT_EQ(vertexAt(disk, 361).y, 0.0f);
    }
}

TEST(ShapeVertices, DiskRimLiesOnTheUnitCircleInOrder)
{
    std::vector<float> disk(gfx::diskFloatCount(kSegments));
    gfx::fillUnitDisk(disk.data(), kSegments, Trig::Double);
    for (int i = 1; i <= kSegments + 1; ++i) {
        const Vertex v = vertexAt(disk, i);
        EXPECT_NEAR(std::hypot(v.x, v.y), 1.0, 1e-6) << "rim vertex " << i;
    }
    // A quarter of the way round is straight up.
    EXPECT_NEAR(vertexAt(disk, 91).x, 0.0f, 1e-7);
    EXPECT_EQ(vertexAt(disk, 91).y, 1.0f);
}

TEST(ShapeVertices, SingleAndDoubleTrigDifferOnlyInRounding)
{
    std::vector<float> single(gfx::diskFloatCount(kSegments));
    std::vector<float> twice(gfx::diskFloatCount(kSegments));
    gfx::fillUnitDisk(single.data(), kSegments, Trig::Single);
    gfx::fillUnitDisk(twice.data(), kSegments, Trig::Double);
    for (std::size_t i = 0; i < single.size(); ++i)
        EXPECT_NEAR(single[i], twice[i], 2e-7f);
    // The double path rounds the exact cosine; check one value against it.
    const float a = gfx::rimAngle(37, kSegments);
    EXPECT_EQ(vertexAt(twice, 38).x, static_cast<float>(std::cos(static_cast<double>(a))));
}

TEST(ShapeVertices, RingPairsInnerAndOuterRimAndCloses)
{
    std::vector<float> ring(gfx::ringFloatCount(kSegments));
    gfx::fillUnitRing(ring.data(), kSegments, Trig::Single);
    for (int i = 0; i <= kSegments; ++i) {
        const Vertex inner = vertexAt(ring, 2 * i);
        const Vertex outer = vertexAt(ring, 2 * i + 1);
        EXPECT_EQ(outer.x, inner.x * 2.0f);
        EXPECT_EQ(outer.y, inner.y * 2.0f);
    }
    const Vertex first[2] = {vertexAt(ring, 0), vertexAt(ring, 1)};
    const Vertex last[2] = {vertexAt(ring, 720), vertexAt(ring, 721)};
    EXPECT_EQ(first[0].x, 1.0f);
    EXPECT_EQ(first[1].x, 2.0f);
    EXPECT_EQ(last[0].x, 1.0f);
    EXPECT_EQ(last[0].y, 0.0f);
    EXPECT_EQ(last[1].x, 2.0f);
    EXPECT_EQ(last[1].y, 0.0f);
}

TEST(ShapeVertices, RectangleIsATriangleStripOfTheHalfSize)
{
    float rectangle[gfx::kRectangleFloatCount];
    gfx::fillRectangle(rectangle, 100.0f);
    const float expected[] = {-100, -100, 100, -100, -100, 100, 100, 100};
    for (int i = 0; i < gfx::kRectangleFloatCount; ++i)
        EXPECT_EQ(rectangle[i], expected[i]);
}
