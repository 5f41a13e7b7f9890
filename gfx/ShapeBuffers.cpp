#include "gfx/ShapeBuffers.h"

#include "gfx/ShapeVertices.h"
#include "gfx/ViewWindow.h"

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

void VertexArray::drawDisk(int segments, float x, float y, float s) const
{
    const ViewWindow view = currentViewWindow();
    if (view.insideDisk(x, y, inscribedRadius(segments, s))) {
        glRectf(view.left, view.bottom, view.right, view.top);
        return;
    }
    drawPlaced(GL_TRIANGLE_FAN, diskVertexCount(segments), x, y, s);
}

void drawBuffer(GLuint name, GLenum mode, int count)
{
    const VertexArray array(name);
    array.draw(mode, count);
}

} // namespace gfx
