#include "gfx/ShapeBuffers.h"

// Sections: making buffers | mapping | the vertex array and its draws |
// filling the view | a disk over or across the view.

#include "gfx/ShapeVertices.h"
#include "gfx/ViewWindow.h"

#include <array>

namespace gfx {

namespace {

GLuint generateBound(GLsizeiptr bytes, const void* data, GLenum usage)
{
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, usage);
    return name;
}

GLsizeiptr bytesOf(int floats)
{
    return static_cast<GLsizeiptr>(floats) * static_cast<GLsizeiptr>(sizeof(float));
}

} // namespace

GLuint createStaticBuffer(int floats, const VertexFiller& fill)
{
    const GLuint name = generateBound(bytesOf(floats), nullptr, GL_STATIC_DRAW);
    if (auto* vertices = static_cast<float*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY))) {
        fill(vertices);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return name;
}

GLuint createUnitDiskBuffer(int segments, Trig trig)
{
    return createStaticBuffer(diskFloatCount(segments),
                              [=](float* out) { fillUnitDisk(out, segments, trig); });
}

GLuint createUnitRingBuffer(int segments, Trig trig)
{
    return createStaticBuffer(ringFloatCount(segments),
                              [=](float* out) { fillUnitRing(out, segments, trig); });
}

GLuint createDiskTriangulationBuffer(int segments)
{
    std::vector<unsigned short> indices(static_cast<std::size_t>(diskTriangulationIndexCount(segments)));
    fillDiskTriangulation(indices.data(), segments);
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned short)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return name;
}

GLuint createRectangleBuffer(float halfSize)
{
    return createStaticBuffer(kRectangleFloatCount, [=](float* out) { fillRectangle(out, halfSize); });
}

GLuint uploadStaticBuffer(const std::vector<float>& vertices)
{
    const GLuint name = generateBound(bytesOf(static_cast<int>(vertices.size())), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return name;
}

GLuint createStreamBuffer(int floats)
{
    const GLuint name = generateBound(bytesOf(floats), nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return name;
}

float* bindAndMap(GLuint name)
{
    glBindBuffer(GL_ARRAY_BUFFER, name);
    return static_cast<float*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY));
}

void unmapBoundBuffer()
{
    glUnmapBuffer(GL_ARRAY_BUFFER);
}

VertexArray::VertexArray(GLuint name)
{
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, nullptr);
}

VertexArray::~VertexArray()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void VertexArray::draw(GLenum mode, int count) const
{
    glDrawArrays(mode, 0, count);
}

void VertexArray::drawRange(GLenum mode, int first, int count) const
{
    glDrawArrays(mode, first, count);
}

void VertexArray::drawPlaced(GLenum mode, int count, float x, float y, float s) const
{
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(s, s, 1.0f);
    glDrawArrays(mode, 0, count);
    glPopMatrix();
}

namespace {

// Whether a fragment in the current colour replaces the pixel under it
// outright, as a clear to that colour would: an opaque black or white (exact
// in any colour format) with blending off or blending by source alpha, and
// nothing else that filters or masks fragments.
bool currentColourReplacesPixels(std::array<GLfloat, 4>& colour)
{
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    const bool blackOrWhite = (colour[0] == 0.0f || colour[0] == 1.0f) && colour[1] == colour[0] &&
                              colour[2] == colour[0] && colour[3] == 1.0f;
    if (!blackOrWhite || glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_ALPHA_TEST) ||
        glIsEnabled(GL_COLOR_LOGIC_OP))
        return false;
    std::array<GLboolean, 4> mask{};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask.data());
    if (!(mask[0] && mask[1] && mask[2] && mask[3]))
        return false;
    if (!glIsEnabled(GL_BLEND))
        return true;
    GLint source = 0;
    GLint destination = 0;
    GLint equation = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_BLEND_EQUATION, &equation);
    return source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA && equation == GL_FUNC_ADD;
}

} // namespace

void fillView(const ViewWindow& view)
{
    std::array<GLfloat, 4> colour{};
    if (!currentColourReplacesPixels(colour)) {
        glRectf(view.left, view.bottom, view.right, view.top);
        return;
    }
    // A clear costs a fraction of a rectangle's fragments in software GL.
    std::array<GLfloat, 4> clearColour{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour.data());
    // A clear ignores the viewport: keep it to the viewport's pixels, or
    // within the scissor box already set (which lies inside the viewport).
    const bool scissored = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    if (!scissored) {
        std::array<GLint, 4> viewport{};
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        glEnable(GL_SCISSOR_TEST);
        glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
    }
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    if (!scissored)
        glDisable(GL_SCISSOR_TEST);
}

void VertexArray::drawDisk(const ViewWindow& view, int segments, float x, float y, float s,
                           GLuint triangulation) const
{
    if (view.insideDisk(x, y, inscribedRadius(segments, s))) {
        fillView(view);
        return;
    }
    if (triangulation == 0 || !view.isBounded()) {
        drawPlaced(GL_TRIANGLE_FAN, diskVertexCount(segments), x, y, s);
        return;
    }
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(s, s, 1.0f);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, triangulation);
    glDrawElements(GL_TRIANGLES, diskTriangulationIndexCount(segments), GL_UNSIGNED_SHORT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopMatrix();
}

void drawBuffer(GLuint name, GLenum mode, int count)
{
    const VertexArray array(name);
    array.draw(mode, count);
}

} // namespace gfx
