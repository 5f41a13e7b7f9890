// The crash frame scene and its components on real pixels and real GL state.

#include "app/Schedule.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/CrashFrameScene.h"
#include "scenes/crashframe/Explosion.h"
#include "support/GlTestContext.h"

#include <array>
#include <cstdlib>

namespace {

std::array<GLfloat, 4> currentColour()
{
    std::array<GLfloat, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    return colour;
}

int countIf(const QImage& image, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

} // namespace

TEST_F(GlTest, CrashFrameComponentsRestoreTheGlStateTheyChange)
{
    Explosion explosion(gfx::FastPaths::all());
    BranchFrame frame(1.5707964f, gfx::FastPaths::all());
    CrashFrameScene scene(gfx::FastPaths::all());
    glTranslatef(-0.1f, 0.3f, 0.0f);
    for (float t : {0.0f, 0.1f, 3.0f, 10.0f, 11.0f, 15.0f}) {
        for (ISceneComponent* component : {static_cast<ISceneComponent*>(&explosion),
                                           static_cast<ISceneComponent*>(&frame),
                                           static_cast<ISceneComponent*>(&scene)}) {
            const GlStateSnapshot before = snapshotGlState();
            component->draw(t);
            EXPECT_EQ(snapshotGlState(), before) << "t = " << t;
        }
    }
}

TEST_F(GlTest, BranchFrameAtTimeZeroDrawsNothing)
{
    BranchFrame frame(0.0f, gfx::FastPaths::all());
    frame.draw(0.0f);
    EXPECT_EQ(countIf(pixels(), [](QRgb c) { return c != kWhite; }), 0);
    // Its colour is still set for the empty draw.
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{1.0f, 1.0f, 1.0f, 0.75f}));
}

TEST_F(GlTest, BranchFrameGrowsFromTheCentreInItsDirection)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    BranchFrame frame(3.1415927f, gfx::FastPaths::all());
    frame.draw(0.5f);
    const QImage image = pixels();
    int left = 0;
    int right = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qRed(image.pixel(x, y)) > 64)
                (x < image.width() / 2 ? left : right) += 1;
    EXPECT_GT(left, 20);
    EXPECT_LT(right, left / 4);
}

TEST_F(GlTest, ExplosionSwellsBlackAndLeavesItsLastColour)
{
    Explosion explosion(gfx::FastPaths::all());
    explosion.draw(0.0f);
    EXPECT_EQ(countIf(pixels(), [](QRgb c) { return c != kWhite; }), 0);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{0.0f, 0.0f, 0.0f, 1.0f}));

    explosion.draw(1.0f);  // radius 0.45
    EXPECT_EQ(pixelAt(0.0f, 0.0f), kBlack);
    EXPECT_EQ(pixelAt(0.4f, 0.0f), kBlack);
    EXPECT_EQ(pixelAt(0.5f, 0.0f), kWhite);

    explosion.draw(10.0f);  // white needs t > 10
    EXPECT_EQ(pixelAt(0.99f, 0.99f), kBlack);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{0.0f, 0.0f, 0.0f, 1.0f}));

    explosion.draw(11.0f);  // white at 0.4 over black
    EXPECT_NEAR(qRed(pixelAt(0.99f, 0.99f)), 102, 2);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{1.0f, 1.0f, 1.0f, 0.4f}));
}

class DemoFrames : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        schedule.build();
    }
    Schedule schedule;
};

TEST_F(DemoFrames, AtSixtyThreeAndAHalfTheViewIsBlackButForTheBranches)
{
    schedule.drawFrame(63.5f);
    const QImage image = pixels();
    const int all = image.width() * image.height();
    const int black = countIf(image, [](QRgb c) { return c == kBlack; });
    const int lines = countIf(image, [](QRgb c) { return qRed(c) > 100; });
    const int coloured = countIf(image, [](QRgb c) { return qRed(c) != qGreen(c) || qGreen(c) != qBlue(c); });
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(lines, 100);
    EXPECT_EQ(black + countIf(image, [](QRgb c) { return qRed(c) > 0; }), all);
    EXPECT_GT(black, all / 4);
}

TEST_F(DemoFrames, AtSeventyFourTheWholeViewIsWhite)
{
    EXPECT_TRUE(schedule.drawFrame(74.0f));
    EXPECT_EQ(countIf(pixels(), [](QRgb c) { return c != kWhite; }), 0);
}
