#include "growth/BranchLines.h"

#include "gfx/Gl.h"
#include "gfx/ShapeBuffers.h"

namespace branching {

bool mapLines(unsigned int name, BranchBuffer& buffer, const gfx::ViewWindow& window)
{
    buffer.begin(gfx::bindAndMap(name), window);
    if (buffer.vertices)
        return true;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return false;
}

void unmapLines(BranchBuffer& buffer)
{
    gfx::unmapBoundBuffer();
    buffer.vertices = nullptr;
}

void drawSmoothLines(unsigned int name, const BranchBuffer& buffer, const LineColour& colour)
{
    // Set up.
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(colour.red, colour.green, colour.blue, colour.alpha);
    // Draw.
    gfx::drawBuffer(name, GL_LINES, buffer.vertexCount());
    // Switch off.
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
}

} // namespace branching
