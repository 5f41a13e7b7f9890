// The crash frame scene on real pixels, beyond the probes of ComponentsTest.cpp:
// a branch frame grows its way, and the demo's last seconds.

#include "app/Schedule.h"
#include "scenes/crashframe/BranchFrame.h"
#include "support/GlTestContext.h"

namespace {

bool isWhite(float, float, QRgb c) { return c == kWhite; }

} // namespace

TEST_F(GlTest, BranchFrameGrowsFromTheCentreInItsDirection)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    BranchFrame frame(3.1415927f, gfx::FastPaths::all());
    frame.draw(0.5f);
    const QImage image = pixels();
    const int left = countPixels(image, [](float x, float, QRgb c) { return x < 0.0f && qRed(c) > 64; });
    const int right = countPixels(image, [](float x, float, QRgb c) { return x >= 0.0f && qRed(c) > 64; });
    EXPECT_GT(left, 20);
    EXPECT_LT(right, left / 4);
}

// At 63.5 s the explosion has blackened the view and the branch frames grow
// white over it; from 72.5 s the whole view is white.
TEST_F(GlTest, DemoEndsWithWhiteBranchesOnBlackThenAWhiteView)
{
    Schedule schedule;
    schedule.build();
    schedule.drawFrame(63.5f);
    const QImage image = pixels();
    const int all = image.width() * image.height();
    EXPECT_EQ(countPixels(image, [](float, float, QRgb c) { return qRed(c) != qGreen(c) || qGreen(c) != qBlue(c); }), 0)
        << "a coloured pixel";
    EXPECT_GT(countPixels(image, [](float, float, QRgb c) { return qRed(c) > 100; }), 100) << "the branches' lines";
    EXPECT_GT(countPixels(image, [](float, float, QRgb c) { return c == kBlack; }), all / 4);

    EXPECT_TRUE(schedule.drawFrame(74.0f));
    EXPECT_EQ(countPixels(pixels(), isWhite), pixels().width() * pixels().height());
}
