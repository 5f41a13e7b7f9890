#include "gfx/StencilInversion.h"

#include "gfx/Gl.h"

namespace gfx {

void beginInversionMask()
{
    glEnable(GL_STENCIL_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    // Every fragment fails and its fail operation inverts the pixel, so the
    // lowest stencil bit ends as the parity of the coverage count.
    glStencilFunc(GL_NEVER, 1, 0xFF);
    glStencilOp(GL_INVERT, GL_INVERT, GL_INVERT);
    // The previous pass left the write mask at 0, which would make the clear a no-op.
    glStencilMask(0xFF);
    glClear(GL_STENCIL_BUFFER_BIT);
}

void beginInversionCover()
{
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    // Compare the lowest bit only: an inverted pixel holds 0xFF, never 1.
    glStencilFunc(GL_EQUAL, 1, 1);
}

void endInversion()
{
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
}

void drawInverted(const std::function<void()>& shapes, const std::function<void()>& cover)
{
    beginInversionMask();
    shapes();
    beginInversionCover();
    cover();
    endInversion();
}

} // namespace gfx
