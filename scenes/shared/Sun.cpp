#include "scenes/shared/Sun.h"

#include "gfx/ShapeBuffers.h"
#include "gfx/ShapeVertices.h"

#include <algorithm>
#include <cmath>

namespace sky {

namespace {

constexpr float kSunStartAngle = 0.8f;
constexpr float kSunAngularSpeed = 0.05f;
constexpr float kSunOrbitRadius = 2.50625f;
constexpr double kSunOrbitCentreY = -2.0;
constexpr float kSunRadius = 0.05f;
constexpr float kSunBrightening = 0.1f;  // per second, so full after 10 s
constexpr float kSunDarkGrey = 0.3f;
constexpr float kSunLightGrey = 0.9f;

} // namespace

SunPlacement sunAt(float t)
{
    // The angle is single precision; the position is taken in double with the
    // radius as its float value, then rounded.
    const double angle = kSunAngularSpeed * t + kSunStartAngle;
    const float x = static_cast<float>(std::cos(angle) * static_cast<double>(kSunOrbitRadius));
    const float y = static_cast<float>(std::sin(angle) * static_cast<double>(kSunOrbitRadius) + kSunOrbitCentreY);
    const float w = std::min(t * kSunBrightening, 1.0f);
    // The grey range (0.9 - 0.3) is formed in single precision.
    const float grey = w < 0.0f ? kSunDarkGrey : kSunDarkGrey + (kSunLightGrey - kSunDarkGrey) * w;
    return {x, y, grey};
}

void drawSun(float t, GLuint diskBuffer, int segments)
{
    const SunPlacement sun = sunAt(t);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        const gfx::VertexArray disk(diskBuffer);
        glColor4f(sun.grey, sun.grey, sun.grey, 1.0f);
        disk.drawPlaced(GL_TRIANGLE_FAN, gfx::diskVertexCount(segments), sun.x, sun.y, kSunRadius);
    }
    glDisable(GL_BLEND);
}

} // namespace sky
