#pragma once

// A fixture for GL code on real pixels and real state: an offscreen context
// (see testGlContext) with an 8-bit stencil framebuffer, the surface's GL state and the projection
// of a window of the same size, the model-view matrix at identity and the
// colour buffer cleared to white.

#include "app/OffscreenRenderer.h"
#include "gfx/Gl.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// The GL state that every component must leave as it found it, in words.
std::string glState();

// The offscreen context the tests draw in: on the X display when there is one,
// as the windows beside them use (a thread cannot switch between GLX and EGL
// contexts freely); through EGL, with no display server, when there is none.
std::unique_ptr<OffscreenContext> testGlContext();

// The frame the shared frame path gives for demo time t at w x h pixels, in RGB32.
QImage framePathFrame(int w, int h, float t);

// How many pixels of a frame pass `test`, given the world coordinates of their centres.
int countPixels(const QImage& image, const std::function<bool(float x, float y, QRgb)>& test);

class GlTest : public ::testing::Test
{
public:
    // The pixel at world coordinates (x, y) of the projection, in a frame or the frame so far.
    static QRgb pixelAt(const QImage& image, float x, float y);

protected:
    explicit GlTest(int w = 200, int h = 200) : width(w), height(h) {}

    void SetUp() override;

    // The frame so far, the right way up (row 0 at the top).
    QImage pixels() const;
    QRgb pixelAt(float x, float y) const;

    const int width;
    const int height;
    OffscreenRenderer renderer{testGlContext()};
};

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;
