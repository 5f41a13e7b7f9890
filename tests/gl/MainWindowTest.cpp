// The window as a user plays it: Space starts the demo once on a surface with
// the stencil bits it draws with, the arrow keys move its clock, the end
// deletes the surface and the window waits for Space again; full screen on
// and off. (That it shows the shared frame path's pixels: KeyStormTest.cpp.)

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
    // Frames drawn straight into the surface, where no framebuffer object can be made, need them.
    surface->makeCurrent();
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_EQ(stencilBits, 8);
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
