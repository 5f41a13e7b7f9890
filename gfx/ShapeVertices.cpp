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

} // namespace gfx
