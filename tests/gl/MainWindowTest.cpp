#include "app/MainWindow.h"
#include "support/FakeClock.h"
#include "support/NeedsDisplay.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_A_DISPLAY();
        window.resize(320, 180);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&window, static_cast<Qt::Key>(key), modifiers);
    }

    // Lets the surface initialise and paint a few frames.
    void runFrames(int milliseconds = 100) { QTest::qWait(milliseconds); }

    FakeClock clock;
    MainWindow window;
};

} // namespace

TEST_F(Window, OpensWaitingWithItsTitle)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Umbrafen (press space to start)"));
    EXPECT_EQ(window.centralWidget(), nullptr);
}

TEST_F(Window, SpaceInstallsTheSurface)
{
    press(Qt::Key_Space);
    ASSERT_NE(window.surface(), nullptr);
    EXPECT_EQ(window.centralWidget(), window.surface());
}

TEST_F(Window, SpaceTwiceDoesNotRestart)
{
    press(Qt::Key_Space);
    MainWidget* first = window.surface();
    runFrames();
    press(Qt::Key_Space);
    EXPECT_EQ(window.surface(), first);
    EXPECT_EQ(window.centralWidget(), first);
}

TEST_F(Window, ArrowKeysBeforeSpaceDoNothing)
{
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
        press(key);
    EXPECT_EQ(window.surface(), nullptr);
    EXPECT_EQ(window.centralWidget(), nullptr);
}

TEST_F(Window, AltReturnTwiceComesBackToActive)
{
    window.setWindowState(Qt::WindowMaximized);
    press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(window.windowState(), Qt::WindowFullScreen);
    press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(window.windowState(), Qt::WindowActive);
}

TEST_F(Window, ReturnWithoutAltDoesNothing)
{
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::AltModifier);
    EXPECT_FALSE(window.windowState().testFlag(Qt::WindowFullScreen));
}

TEST_F(Window, DoubleClickTogglesFullScreen)
{
    QTest::mouseDClick(&window, Qt::LeftButton);
    EXPECT_EQ(window.windowState(), Qt::WindowFullScreen);
    QTest::mouseDClick(&window, Qt::LeftButton);
    EXPECT_EQ(window.windowState(), Qt::WindowActive);
}

TEST_F(Window, EscapeSetsActiveAlone)
{
    window.setWindowState(Qt::WindowMaximized);
    press(Qt::Key_Escape);
    EXPECT_EQ(window.windowState(), Qt::WindowActive);
    press(Qt::Key_Return, Qt::AltModifier);
    press(Qt::Key_Escape);
    EXPECT_EQ(window.windowState(), Qt::WindowActive);
}

TEST_F(Window, SurfaceDeletesItselfAtTheEndAndSpaceStartsAnew)
{
    press(Qt::Key_Space);
    QPointer<MainWidget> first = window.surface();
    runFrames();
    ASSERT_FALSE(first.isNull());

    clock.advance(76.0);
    runFrames();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window.surface(), nullptr);
    EXPECT_EQ(window.centralWidget(), nullptr);

    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
        press(key);
    press(Qt::Key_Space);
    ASSERT_NE(window.surface(), nullptr);
    runFrames();
    EXPECT_NE(window.surface(), nullptr) << "the new surface starts its clock from the beginning";
}

TEST_F(Window, DownArrowAtSeventySecondsEndsTheDemo)
{
    press(Qt::Key_Space);
    QPointer<MainWidget> surface = window.surface();
    runFrames();
    clock.advance(70.0);
    runFrames();
    ASSERT_FALSE(surface.isNull());
    press(Qt::Key_Down);
    runFrames();
    EXPECT_TRUE(surface.isNull());
}

TEST_F(Window, UpArrowMovesTheClockBack)
{
    press(Qt::Key_Space);
    QPointer<MainWidget> surface = window.surface();
    runFrames();
    clock.advance(74.0);
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    clock.advance(5.0);  // 79 s on the wall, 70 s on the demo clock
    runFrames();
    EXPECT_FALSE(surface.isNull());
}
