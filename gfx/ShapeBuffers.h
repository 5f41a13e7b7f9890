#pragma once

// The GL side of the unit shapes: buffer objects of two-float vertices, built
// once (static) or rewritten every frame (streamed), and the drawing steps that
// every component uses to draw from them.

#include "gfx/Gl.h"
#include "gfx/ShapeVertices.h"

#include <functional>
#include <vector>

namespace gfx {

struct ViewWindow;

using VertexFiller = std::function<void(float*)>;

// Generates a buffer of `floats` floats with GL_STATIC_DRAW and fills it through
// a write-only mapping. If the mapping fails nothing is written.
GLuint createStaticBuffer(int floats, const VertexFiller& fill);
GLuint createUnitDiskBuffer(int segments, Trig trig);
GLuint createUnitRingBuffer(int segments, Trig trig);
GLuint createRectangleBuffer(float halfSize);
// An element buffer with fillDiskTriangulation's indices: drawDisk fills a
// disk that reaches only part of the view with it, in place of the fan.
GLuint createDiskTriangulationBuffer(int segments);

// Uploads vertices kept in memory (terrain and ground strips) with GL_STATIC_DRAW.
GLuint uploadStaticBuffer(const std::vector<float>& vertices);

// A buffer of `floats` floats with GL_STREAM_DRAW and no contents yet.
GLuint createStreamBuffer(int floats);

// Binds `name` and maps it write-only; null when the mapping fails (the buffer
// then stays bound and unmapped). Pair a non-null result with unmapBoundBuffer().
float* bindAndMap(GLuint name);
void unmapBoundBuffer();

// The vertex array over one buffer for as long as it lives: binds the buffer,
// enables the vertex array and points it at offset 0 on construction, and
// disables the vertex array and unbinds the buffer on destruction, so every
// draw in between reads `name`.
class VertexArray
{
public:
    explicit VertexArray(GLuint name);
    ~VertexArray();
    VertexArray(const VertexArray&) = delete;
    VertexArray& operator=(const VertexArray&) = delete;

    void draw(GLenum mode, int count) const;
    // Draws `count` vertices from vertex `first` on.
    void drawRange(GLenum mode, int first, int count) const;
    // Draws the unit shape moved to (x, y) and scaled by s, inside push/pop.
    void drawPlaced(GLenum mode, int count, float x, float y, float s) const;
    // Draws this unit disk buffer (a fan of `segments` rim segments) moved to
    // (x, y) and scaled by s, seen through `view` (gfx/ViewWindow.h). When
    // the fan covers the whole view it fills every pixel exactly once, as one
    // rectangle over the view does: that rectangle is drawn instead, far
    // cheaper in software GL than hundreds of thin triangles reaching across
    // the view.
    // With a triangulation buffer (createDiskTriangulationBuffer) and a
    // bounded view, a disk that does not cover the view is drawn from it
    // instead of as a fan: the same pixels, far fewer of them touched twice
    // by thin triangles.
    void drawDisk(const ViewWindow& view, int segments, float x, float y, float s, GLuint triangulation = 0) const;
};

// Paints the whole view in the current colour and GL state, as a rectangle
// over `view` would.
void fillView(const ViewWindow& view);

// All drawing steps around a single draw.
void drawBuffer(GLuint name, GLenum mode, int count);

} // namespace gfx
