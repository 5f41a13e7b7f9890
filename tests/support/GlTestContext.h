#pragma once

// A fixture for GL code on real pixels and real state: an offscreen context
// (see testGlContext) with an 8-bit stencil framebuffer, the surface's GL state and the projection
// of a window of the same size, the model-view matrix at identity and the
// colour buffer cleared to white.

#include "app/OffscreenRenderer.h"
#include "gfx/Gl.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>

// The GL state that every component must leave as it found it.
struct GlStateSnapshot
{
    bool blend = false;
    bool stencilTest = false;
    bool scissorTest = false;
    bool clipPlane0 = false;
    bool lineSmooth = false;
    bool vertexArray = false;
    GLint arrayBufferBinding = 0;
    GLint modelviewDepth = 0;
    std::array<GLfloat, 16> modelview{};
    GLint matrixMode = 0;

    bool operator==(const GlStateSnapshot& other) const;
    bool operator!=(const GlStateSnapshot& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& out, const GlStateSnapshot& state);

GlStateSnapshot snapshotGlState();

// The offscreen context the tests draw in: on the X display when there is one,
// as the windows beside them use (a thread cannot switch between GLX and EGL
// contexts freely); through EGL, with no display server, when there is none.
std::unique_ptr<OffscreenContext> testGlContext();

class GlTest : public ::testing::Test
{
protected:
    explicit GlTest(int w = 200, int h = 200) : width(w), height(h) {}

    void SetUp() override;

    // The frame so far, the right way up (row 0 at the top).
    QImage pixels() const;
    // The pixel at world coordinates (x, y) of the projection.
    QRgb pixelAt(float x, float y) const;
    static QRgb pixelAt(const QImage& image, float x, float y);

    const int width;
    const int height;
    OffscreenRenderer renderer{testGlContext()};
};

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;
