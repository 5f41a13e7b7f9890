// The window as a user plays it: Space starts the demo once, the arrow keys
// move its clock, every scene plays on the window's own timer, the end deletes
// the surface and the window waits for Space again; full screen on and off;
// and the frames it shows are the shared frame path's.

#include "app/MainWidget.h"
#include "support/GlTestContext.h"
#include "support/WindowFixture.h"

#include <QTest>

namespace {

constexpr int kArrowKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
constexpr int kDoubleClick = -1;
constexpr int kMaximise = -2;

class Window : public WindowFixture
{
protected:
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&window, static_cast<Qt::Key>(key), modifiers);
    }
};

} // namespace

TEST_F(Window, SpaceStartsTheDemoOnceAndTheArrowKeysMoveItsClock)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Umbrafen (press space to start)"));
    for (int key : kArrowKeys)
        press(key);
    EXPECT_EQ(window.centralWidget(), nullptr) << "arrow keys before Space";

    QPointer<MainWidget> surface = start(2);
    ASSERT_FALSE(surface.isNull());
    EXPECT_EQ(window.centralWidget(), surface.data());
    press(Qt::Key_Space);
    EXPECT_EQ(window.surface(), surface.data()) << "Space again restarted the demo";

    // Two seconds before the demo: a white frame, and frames keep coming.
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    ASSERT_TRUE(waitForFrames(3));
    const QImage white = surface->grabFrameBuffer();
    EXPECT_EQ(white.pixel(white.width() / 2, white.height() / 2), kWhite);
    EXPECT_EQ(white.pixel(0, 0), kWhite);

    // 74 s of demo, 65 s after Up and Left, and 70 s once five more seconds pass: still playing.
    advance(76.0);
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    advance(5.0);
    ASSERT_TRUE(waitForFrames(3));
    ASSERT_FALSE(surface.isNull()) << "Up and Left did not move the clock back";
    press(Qt::Key_Down);
    EXPECT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000)) << "Down at 70 s did not end the demo";
    EXPECT_EQ(window.centralWidget(), nullptr);
    EXPECT_EQ(window.surface(), nullptr);

    // Keys after the end reach no surface; the next one starts from the beginning.
    for (int key : kArrowKeys)
        press(key);
    QPointer<MainWidget> next = start(2);
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_FALSE(next.isNull());
}

// Every scene and every overlap drawn in turn, half a second of demo time per step.
TEST_F(Window, PlaysFromSpaceToTheEndAndWaitsForSpaceAgain)
{
    QTest::keyClick(&window, Qt::Key_Space);
    QPointer<MainWidget> surface = window.surface();
    ASSERT_FALSE(surface.isNull());
    for (int step = 0; step < 150; ++step) {
        QTest::qWait(5);
        ASSERT_FALSE(surface.isNull()) << "ended early, at " << step * 0.5 << " s";
        advance(0.5);
    }
    QTest::qWait(100);  // 75 s: past the last scene's end
    EXPECT_TRUE(surface.isNull());
    EXPECT_EQ(window.centralWidget(), nullptr);
    press(Qt::Key_Space);
    EXPECT_NE(window.surface(), nullptr);
}

// Alt+Return and a double-click toggle full screen; leaving it, like Escape,
// leaves any maximised state too.
TEST_F(Window, FullScreenTogglesAndEscapeLeavesIt)
{
    const struct
    {
        int action;
        Qt::KeyboardModifiers modifiers;
        Qt::WindowStates after;
    } steps[] = {
        {kMaximise, {}, Qt::WindowMaximized},
        {Qt::Key_Return, Qt::AltModifier, Qt::WindowFullScreen},
        {Qt::Key_Return, Qt::AltModifier, Qt::WindowActive},
        {Qt::Key_Return, Qt::NoModifier, Qt::WindowActive},
        {Qt::Key_Enter, Qt::AltModifier, Qt::WindowActive},
        {kDoubleClick, {}, Qt::WindowFullScreen},
        {kDoubleClick, {}, Qt::WindowActive},
        {kMaximise, {}, Qt::WindowMaximized},
        {Qt::Key_Escape, Qt::NoModifier, Qt::WindowActive},
        {Qt::Key_Return, Qt::AltModifier, Qt::WindowFullScreen},
        {Qt::Key_Escape, Qt::NoModifier, Qt::WindowActive},
    };
    int step = 0;
    for (const auto& s : steps) {
        if (s.action == kMaximise)
            window.setWindowState(Qt::WindowMaximized);
        else if (s.action == kDoubleClick)
            QTest::mouseDClick(&window, Qt::LeftButton);
        else
            press(s.action, s.modifiers);
        EXPECT_EQ(window.windowState(), s.after) << "step " << ++step;
    }
}

// The window and the capture tool share one frame path: the same demo time and
// size give the same pixels. The surface keeps 8 stencil bits too, for frames
// drawn straight into it where no framebuffer object can be made.
TEST_F(Window, ShowsTheFramesOfTheSharedFramePath)
{
    QPointer<MainWidget> surface = start(2);
    ASSERT_FALSE(surface.isNull());
    surface->makeCurrent();
    GLint bits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &bits);
    EXPECT_EQ(bits, 8);
    expectFramePathPixels(surface, {2.0, 24.0, 38.5, 45.0, 62.0, 65.0, 71.0});
}

// A clock key before the surface has started is forgotten, not kept for its start.
TEST_F(Window, SkipBeforeTheSurfaceStartsHasNoLastingEffect)
{
    auto* surface = new MainWidget(nullptr);
    QPointer<MainWidget> guard = surface;
    surface->skip(100.0);  // would end the demo at once if it lasted
    surface->resize(160, 90);
    surface->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(surface));
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_FALSE(guard.isNull());
    delete guard.data();
}
