// The whole demo through the real window, as a user plays it: Space, every
// scene in turn on the window's own timer, the end, and back to waiting.

#include "app/MainWindow.h"
#include "support/FakeClock.h"
#include "support/NeedsDisplay.h"

#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

TEST(FullDemo, PlaysFromSpaceToTheEndAndWaitsForSpaceAgain)
{
    SKIP_WITHOUT_A_DISPLAY();
    FakeClock clock;
    MainWindow window;
    window.resize(320, 180);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::keyClick(&window, Qt::Key_Space);
    QPointer<MainWidget> surface = window.surface();
    ASSERT_FALSE(surface.isNull());
    // Half a second of demo time per step: every scene and every overlap is drawn.
    for (int step = 0; step < 150; ++step) {
        QTest::qWait(5);
        ASSERT_FALSE(surface.isNull()) << "ended early, at " << step * 0.5 << " s";
        clock.advance(0.5);
    }
    QTest::qWait(100);  // 75 s: past the last scene's end
    EXPECT_TRUE(surface.isNull());
    EXPECT_EQ(window.centralWidget(), nullptr);

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_NE(window.surface(), nullptr);
}
