// Window sizes nobody tested: a window shrunk to a pixel, one with no height,
// one minimised, one far larger than the screen, one larger than any frame the
// GL can make, and a screen scaled by two. The demo keeps playing without a GL
// error, and whenever the size is valid the projection is the surface's own
// (the longer side spanning -1 to 1, app/Projection.h) and the picture fills
// the window.

#include "app/MainWidget.h"
#include "app/Projection.h"
#include "support/GlTestContext.h"
#include "support/WindowFixture.h"

#include <QScreen>
#include <QTest>

#include <array>
#include <cmath>
#include <vector>

namespace {

class HostileSizes : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        surface = start(2);
        ASSERT_FALSE(surface.isNull());
        takeGlErrors();
    }

    void TearDown() override
    {
        if (surface) {
            EXPECT_TRUE(takeGlErrors().empty());
        }
        WindowFixture::TearDown();
    }

    // Every GL error raised on the surface's context since the last call.
    std::vector<GLenum> takeGlErrors()
    {
        std::vector<GLenum> errors;
        surface->makeCurrent();
        for (GLenum error = glGetError(); error != GL_NO_ERROR && errors.size() < 16; error = glGetError())
            errors.push_back(error);
        return errors;
    }

    // Resizes the window and lets the surface paint a few frames at the new size.
    void resizeAndPaint(int w, int h)
    {
        window.resize(w, h);
        ASSERT_TRUE(waitForFrames(3)) << w << " x " << h;
        EXPECT_TRUE(takeGlErrors().empty()) << w << " x " << h;
        ASSERT_FALSE(surface.isNull());
    }

    std::array<GLfloat, 16> projectionMatrix()
    {
        std::array<GLfloat, 16> m{};
        surface->makeCurrent();
        glGetFloatv(GL_PROJECTION_MATRIX, m.data());
        return m;
    }

    // The projection and aspect the surface holds match its size in device pixels.
    void expectProjectionOfItsSize()
    {
        const int w = static_cast<int>(std::lround(surface->width() * surface->devicePixelRatioF()));
        const int h = static_cast<int>(std::lround(surface->height() * surface->devicePixelRatioF()));
        ASSERT_GT(w, 0);
        ASSERT_GT(h, 0);
        const std::array<GLfloat, 16> m = projectionMatrix();
        const OrthoBounds b = orthoBounds(w, h);
        EXPECT_FLOAT_EQ(m[0], 2.0f / (b.right - b.left)) << w << " x " << h;
        EXPECT_FLOAT_EQ(m[5], 2.0f / (b.top - b.bottom)) << w << " x " << h;
        EXPECT_FLOAT_EQ(surface->currentAspect(), static_cast<float>(w) / static_cast<float>(h));
    }

    // The surface shows the frame path's picture for kBusyFrame at its whole size.
    void expectTheWholeBusyFrame(const char* when)
    {
        const QImage shown = surface->grabFrameBuffer().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(shown == framePathFrame(shown.width(), shown.height(), kBusyFrame)) << when;
    }

    static constexpr float kBusyFrame = 26.0f;  // sky, ground and drops over the whole window
    QPointer<MainWidget> surface;
};

} // namespace

// Down to a pixel, then standing up and back: the projection follows each shape.
TEST_F(HostileSizes, ShrunkToOnePixelKeepsPlaying)
{
    window.setMinimumSize(1, 1);
    for (const QSize size : {QSize(1, 1), QSize(180, 320), QSize(320, 180)}) {
        resizeAndPaint(size.width(), size.height());
        EXPECT_EQ(surface->size(), size);
        expectProjectionOfItsSize();
    }
}

// A surface of no height is not painted; it keeps the projection it had and
// plays on when it has a height again.
TEST_F(HostileSizes, ZeroHeightKeepsTheLastProjectionAndPlaysOnWhenItGrows)
{
    resizeAndPaint(400, 200);
    const std::array<GLfloat, 16> projection = projectionMatrix();
    surface->resize(400, 0);
    QTest::qWait(100);
    ASSERT_EQ(surface->height(), 0);
    EXPECT_FLOAT_EQ(surface->currentAspect(), 2.0f);
    EXPECT_EQ(projectionMatrix(), projection);
    EXPECT_TRUE(takeGlErrors().empty());
    surface->resize(400, 200);
    ASSERT_TRUE(waitForFrames(3));
    expectProjectionOfItsSize();
    advance(80.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000));
}

// A minimised window is not painted; shown again, it plays on and still ends.
TEST_F(HostileSizes, MinimisedPlaysOnWhenShownAgain)
{
    window.showMinimized();
    QTest::qWait(200);
    window.showNormal();
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_TRUE(takeGlErrors().empty());
    expectProjectionOfItsSize();
    advance(80.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000));
}

TEST_F(HostileSizes, FarLargerThanTheScreenDrawsTheWholeFrame)
{
    const QSize screen = window.screen()->size();
    resizeAndPaint(screen.width() * 2, screen.height() * 2);
    expectProjectionOfItsSize();
    advance(kBusyFrame);
    ASSERT_TRUE(waitForFrames(2));
    ASSERT_EQ(surface->grabFrameBuffer().size(), surface->size() * surface->devicePixelRatioF());
    expectTheWholeBusyFrame("twice the screen's size");
}

// A window wider than any framebuffer the GL can make (as a window system
// without a window manager allows): the surface stays within the largest frame
// and draws it there, then fills the window again when it is small enough.
TEST_F(HostileSizes, WiderThanTheLargestFramebufferKeepsPlaying)
{
    surface->makeCurrent();
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    GLint textureLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
    const int tooWide = std::max(largest, textureLimit) + 16;
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    advance(kBusyFrame);
    resizeAndPaint(tooWide, 64);
    EXPECT_EQ(surface->size(), QSize(surface->largestSide(), 64));
    expectProjectionOfItsSize();
    expectTheWholeBusyFrame("at the bound");
    resizeAndPaint(320, 180);
    expectProjectionOfItsSize();
    expectTheWholeBusyFrame("back to normal");
}

// Runs again with QT_SCALE_FACTOR=2 (a ctest entry of its own): the surface
// works in device pixels, and what the X server shows of the window is the
// whole frame at that resolution.
TEST_F(HostileSizes, PictureFillsTheWindowAtTheScreensScale)
{
    const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    ASSERT_DOUBLE_EQ(surface->devicePixelRatioF(), scale);
    expectProjectionOfItsSize();
    advance(kBusyFrame);
    ASSERT_TRUE(waitForFrames(3));
    QTest::qWait(50);

    const QSize device = surface->size() * scale;
    const QImage expected = framePathFrame(device.width(), device.height(), kBusyFrame);
    const QImage shown = window.screen()->grabWindow(surface->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), device);
    // The top right quarter is the last one a frame of the logical size would
    // reach; at this time it is busy, so undrawn pixels there cannot pass.
    const QImage topRight = expected.copy(device.width() / 2, 0, device.width() / 2, device.height() / 2);
    bool busy = false;
    for (int y = 0; y < topRight.height() && !busy; ++y) {
        for (int x = 0; x < topRight.width() && !busy; ++x)
            busy = topRight.pixel(x, y) != topRight.pixel(0, 0);
    }
    EXPECT_TRUE(busy) << "the quarter checked is not a single colour";
    EXPECT_TRUE(shown == expected) << "the window shows the whole frame in device pixels";
}
