#include "scenes/crashframe/Explosion.h"

#include "gfx/Gl.h"
#include "gfx/ShapeBuffers.h"
#include "gfx/ShapeVertices.h"

#include <algorithm>

namespace {

constexpr float kSwellRate = 0.3f;  // full radius after 10/3 s
constexpr float kFullRadius = 1.5f;  // beyond every corner of the view
constexpr float kWhiteStart = 10.0f;
constexpr float kWhiteFadeIn = 0.4f;  // opaque after 2.5 s

} // namespace

Explosion::Explosion(const gfx::FastPaths& fastPaths)
    : paths(fastPaths), diskBuffer(gfx::createUnitDiskBuffer(segments, gfx::Trig::Double)),
      diskTriangles(gfx::createDiskTriangulationBuffer(segments))
{
}

Explosion::~Explosion() = default;

float Explosion::radiusAt(float t)
{
    const float a = kSwellRate * t;
    return a < 0.0f ? 0.0f : a > 1.0f ? kFullRadius : a * kFullRadius;
}

float Explosion::whiteAlphaAt(float t)
{
    return std::min(std::max(kWhiteFadeIn * (t - kWhiteStart), 0.0f), 1.0f);
}

bool Explosion::blackensView(float t, const gfx::ViewWindow& view)
{
    return view.insideDisk(0.0f, 0.0f, gfx::inscribedRadius(kSegments, radiusAt(t)));
}

bool Explosion::whitensView(float t, const gfx::ViewWindow& view)
{
    return t > kWhiteStart && whiteAlphaAt(t) == 1.0f && blackensView(t, view);
}

void Explosion::draw(float t)
{
    const gfx::ViewWindow view = gfx::visibleWindow(paths);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    drawDisk(t, view);
    if (t > kWhiteStart) {
        glColor4f(1.0f, 1.0f, 1.0f, whiteAlphaAt(t));
        drawDisk(t, view);
    }
}

void Explosion::drawDisk(float t, const gfx::ViewWindow& view)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    {
        const gfx::VertexArray disk(diskBuffer);
        disk.drawDisk(view, segments, 0.0f, 0.0f, radiusAt(t), diskTriangles);
    }
    glDisable(GL_BLEND);
}
