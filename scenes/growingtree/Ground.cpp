#include "scenes/growingtree/Ground.h"

#include "gfx/Gl.h"
#include "gfx/ShapeBuffers.h"

#include <algorithm>
#include <array>

namespace {

// (-1, -1), (1, -1), (-1, 0), (1, 0): the lower half of the unit square as a triangle strip.
constexpr Ground::Extent kGround = Ground::extent();
constexpr std::array<float, 8> kGroundVertices = {kGround.left,  kGround.bottom, kGround.right, kGround.bottom,
                                                  kGround.left, kGround.top,    kGround.right, kGround.top};
constexpr int kGroundVertexCount = 4;

} // namespace

Ground::Ground()
    : bufferId(gfx::createStreamBuffer(static_cast<int>(kGroundVertices.size())))
{
}

Ground::~Ground() = default;

void Ground::draw(float)
{
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    float* vertices = gfx::bindAndMap(bufferId);
    if (!vertices) {
        // Nothing was written this frame, so there is nothing to draw.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return;
    }
    std::copy(kGroundVertices.begin(), kGroundVertices.end(), vertices);
    gfx::unmapBoundBuffer();
    gfx::drawBuffer(bufferId, GL_TRIANGLE_STRIP, kGroundVertexCount);
}
