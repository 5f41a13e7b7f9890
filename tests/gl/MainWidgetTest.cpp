#include "app/MainWidget.h"
#include "app/OffscreenRenderer.h"
#include "support/FakeClock.h"
#include "support/GlTestContext.h"
#include "support/NeedsDisplay.h"

#include <QTest>

#include <gtest/gtest.h>

#include <array>

namespace {

class Surface : public ::testing::Test
{
protected:
    void SetUp() override { SKIP_WITHOUT_A_DISPLAY(); }

    // A surface shown on its own, as the window would show it.
    QPointer<MainWidget> showSurface(int w, int h)
    {
        auto* surface = new MainWidget(nullptr);
        surface->setAttribute(Qt::WA_DeleteOnClose);
        surface->resize(w, h);
        surface->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(surface));
        QTest::qWait(50);
        return surface;
    }

    void TearDown() override
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            delete widget;
    }

    FakeClock clock;
};

std::array<GLfloat, 16> projectionOf(MainWidget& surface)
{
    std::array<GLfloat, 16> m{};
    surface.makeCurrent();
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    return m;
}

} // namespace

TEST_F(Surface, HasAnEightBitStencilBuffer)
{
    QPointer<MainWidget> surface = showSurface(160, 90);
    surface->makeCurrent();
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    EXPECT_EQ(bits, 8);
}

TEST_F(Surface, ProjectionFollowsTheWindowShape)
{
    QPointer<MainWidget> surface = showSurface(800, 600);
    std::array<GLfloat, 16> landscape = projectionOf(*surface);
    EXPECT_FLOAT_EQ(surface->currentAspect(), 800.0f / 600.0f);
    EXPECT_FLOAT_EQ(landscape[0], 1.0f);         // x: -1 .. 1
    EXPECT_FLOAT_EQ(landscape[5], 1.0f / 0.75f);  // y: -0.75 .. 0.75

    surface->resize(600, 800);
    QTest::qWait(50);
    std::array<GLfloat, 16> portrait = projectionOf(*surface);
    EXPECT_FLOAT_EQ(portrait[0], 1.0f / 0.75f);
    EXPECT_FLOAT_EQ(portrait[5], 1.0f);
}

TEST_F(Surface, ZeroHeightKeepsTheLastProjection)
{
    QPointer<MainWidget> surface = showSurface(400, 200);
    const std::array<GLfloat, 16> before = projectionOf(*surface);
    surface->resize(400, 0);
    QTest::qWait(50);
    EXPECT_EQ(projectionOf(*surface), before);
    EXPECT_FLOAT_EQ(surface->currentAspect(), 2.0f);
}

TEST_F(Surface, SkipBeforeInitialisationHasNoLastingEffect)
{
    auto* surface = new MainWidget(nullptr);
    QPointer<MainWidget> guard = surface;
    surface->skip(100.0);  // would end the demo at once if it lasted
    surface->resize(160, 90);
    surface->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(surface));
    QTest::qWait(100);
    EXPECT_FALSE(guard.isNull());
}

TEST_F(Surface, NegativeDemoTimeDrawsWhiteAndKeepsRunning)
{
    QPointer<MainWidget> surface = showSurface(160, 90);
    surface->skip(-10.0);
    const int readsBefore = clock.readCount();
    QTest::qWait(100);
    EXPECT_GT(clock.readCount(), readsBefore + 2) << "frames keep coming";
    const QImage frame = surface->grabFrameBuffer();
    EXPECT_EQ(frame.pixel(80, 45), kWhite);
    EXPECT_EQ(frame.pixel(0, 0), kWhite);
}

TEST_F(Surface, FrameAtTheEndDeletesTheSurface)
{
    QPointer<MainWidget> surface = showSurface(160, 90);
    clock.advance(75.0);
    QTest::qWait(100);
    EXPECT_TRUE(surface.isNull());
}

// The window and the capture tool share one frame path: the same demo time and
// size give the same pixels.
TEST_F(Surface, WindowFrameEqualsTheOffscreenFrame)
{
    constexpr int kWidth = 320;
    constexpr int kHeight = 180;
    QPointer<MainWidget> surface = showSurface(kWidth, kHeight);
    for (double t : {2.0, 24.0, 38.5, 45.0, 62.0, 65.0, 71.0}) {
        clock.advance(t);
        surface->updateGL();
        const QImage windowFrame = surface->grabFrameBuffer().convertToFormat(QImage::Format_RGB32);
        clock.advance(-t);

        OffscreenRenderer renderer(testGlContext());
        ASSERT_TRUE(renderer.begin(kWidth, kHeight));
        Schedule schedule;
        schedule.build();
        renderer.drawFrame(schedule, static_cast<float>(t));
        const QImage offscreenFrame = renderer.image().convertToFormat(QImage::Format_RGB32);
        surface->makeCurrent();
        EXPECT_EQ(windowFrame, offscreenFrame) << "at " << t << " s";
    }
}
