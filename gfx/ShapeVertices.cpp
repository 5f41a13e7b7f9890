#include "gfx/ShapeVertices.h"

#include <cmath>

namespace gfx {

namespace {

constexpr double kTwoPi = 6.283185307179586;

void rimPoint(float angle, Trig trig, float& c, float& s)
{
    if (trig == Trig::Single) {
        c = std::cos(angle);
        s = std::sin(angle);
    } else {
        c = static_cast<float>(std::cos(static_cast<double>(angle)));
        s = static_cast<float>(std::sin(static_cast<double>(angle)));
    }
}

} // namespace

float rimAngle(int i, int segments)
{
    if (i == segments)
        return 0.0f;
    return static_cast<float>(static_cast<double>(i) * kTwoPi / static_cast<double>(segments));
}

void fillUnitDisk(float* out, int segments, Trig trig)
{
    *out++ = 0.0f;
    *out++ = 0.0f;
    for (int i = 0; i <= segments; ++i) {
        float c = 0.0f;
        float s = 0.0f;
        rimPoint(rimAngle(i, segments), trig, c, s);
        *out++ = c;
        *out++ = s;
    }
}

void fillUnitRing(float* out, int segments, Trig trig)
{
    for (int i = 0; i <= segments; ++i) {
        float c = 0.0f;
        float s = 0.0f;
        rimPoint(rimAngle(i, segments), trig, c, s);
        *out++ = c;
        *out++ = s;
        *out++ = c * 2.0f;
        *out++ = s * 2.0f;
    }
}

void fillRectangle(float* out, float halfSize)
{
    const float h = halfSize;
    const float vertices[kRectangleFloatCount] = {-h, -h, h, -h, -h, h, h, h};
    for (float v : vertices)
        *out++ = v;
}

float inscribedRadius(int segments, float scale)
{
    if (segments < 3 || !(scale > 0.0f))
        return 0.0f;
    // Rim vertices are rounded to float: a relative error of about 6e-8,
    // far inside the allowance.
    constexpr double kRoundingAllowance = 1e-5;
    const double edgeDistance = std::cos(kTwoPi / (2.0 * segments)) * (1.0 - kRoundingAllowance);
    return static_cast<float>(edgeDistance * static_cast<double>(scale));
}

namespace {

// Triangulates the polygon of rim vertices first .. last (an arc closed by
// its chord): the triangle to the arc's middle, then the two halves.
unsigned short* triangulateArc(unsigned short* out, int first, int last)
{
    if (last - first < 2)
        return out;
    const int middle = first + (last - first) / 2;
    *out++ = static_cast<unsigned short>(first);
    *out++ = static_cast<unsigned short>(middle);
    *out++ = static_cast<unsigned short>(last);
    out = triangulateArc(out, first, middle);
    return triangulateArc(out, middle, last);
}

} // namespace

void fillDiskTriangulation(unsigned short* out, int segments)
{
    if (segments < 3)
        return;
    // The largest triangle between three rim vertices a third of the way
    // round from each other, then the three arcs between them.
    const int a = 1;
    const int b = 1 + segments / 3;
    const int c = 1 + (2 * segments) / 3;
    *out++ = static_cast<unsigned short>(a);
    *out++ = static_cast<unsigned short>(b);
    *out++ = static_cast<unsigned short>(c);
    out = triangulateArc(out, a, b);
    out = triangulateArc(out, b, c);
    // The last arc closes on the first rim vertex, which the disk stores
    // twice: as vertex 1 and, after the whole rim, as vertex segments + 1.
    triangulateArc(out, c, segments + 1);
}

} // namespace gfx
