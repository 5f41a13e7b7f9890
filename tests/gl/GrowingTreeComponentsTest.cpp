// The growing tree scene's components drawn on their own, on real pixels.

#include "gfx/Random.h"
#include "scenes/growingtree/Ground.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTree.h"
#include "scenes/growingtree/Sky.h"
#include "scenes/growingtree/SkyAboveHorizon.h"
#include "support/GlTestContext.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Pixels of the frame inside the world rectangle [x0, x1] x [y0, y1] for which `test` holds.
int countPixels(const QImage& image, float x0, float y0, float x1, float y1, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int py = 0; py < image.height(); ++py) {
        for (int px = 0; px < image.width(); ++px) {
            const float x = (px + 0.5f) / image.width() * 2.0f - 1.0f;
            const float y = 1.0f - (py + 0.5f) / image.height() * 2.0f;
            if (x >= x0 && x <= x1 && y >= y0 && y <= y1 && test(image.pixel(px, py)))
                ++count;
        }
    }
    return count;
}

bool isLight(QRgb c) { return qRed(c) > 100 && qGreen(c) > 100 && qBlue(c) > 100; }
bool isDark(QRgb c) { return qRed(c) < 160 && qGreen(c) < 160 && qBlue(c) < 160; }

std::array<GLfloat, 4> currentColour()
{
    std::array<GLfloat, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    return colour;
}

void expectColour(QRgb pixel, int r, int g, int b, int tolerance = 2)
{
    EXPECT_NEAR(qRed(pixel), r, tolerance);
    EXPECT_NEAR(qGreen(pixel), g, tolerance);
    EXPECT_NEAR(qBlue(pixel), b, tolerance);
}

// The random state in which the demo builds its sky: the drops' 250 values after seed 2.
void seedAsTheDemo()
{
    gfx::srand(2);
    for (int i = 0; i < 250; ++i)
        gfx::rand();
}

} // namespace

TEST_F(GlTest, GrowingTreeComponentsRestoreTheGlStateTheyChange)
{
    gfx::srand(2);
    std::array<std::unique_ptr<ISceneComponent>, 4> components = {
        std::make_unique<SkyAboveHorizon>(gfx::FastPaths::all()), std::make_unique<Ground>(),
        std::make_unique<GrowingTree>(gfx::FastPaths::all()), std::make_unique<GrowingRoots>(gfx::FastPaths::all())};
    glTranslatef(0.1f, -0.2f, 0.0f);
    for (float t : {0.0f, 4.0f, 6.0f, 7.0f, 9.0f, 12.5f, 17.6f, 20.0f}) {
        for (std::size_t i = 0; i < components.size(); ++i) {
            const GlStateSnapshot before = snapshotGlState();
            components[i]->draw(t);
            EXPECT_EQ(snapshotGlState(), before) << "component " << i << " at t = " << t;
        }
    }
}

TEST_F(GlTest, TreeAndRootsTouchNothingBeforeTheyStart)
{
    GrowingTree tree(gfx::FastPaths::all());
    GrowingRoots roots(gfx::FastPaths::all());
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    const auto colour = currentColour();
    tree.draw(6.99f);
    roots.draw(3.99f);
    EXPECT_EQ(currentColour(), colour);
    const QImage image = pixels();
    EXPECT_EQ(countPixels(image, -1, -1, 1, 1, [](QRgb c) { return c != kWhite; }), 0);
}

TEST_F(GlTest, GroundIsBlackBelowTheHorizonOnly)
{
    Ground ground;
    ground.draw(-3.0f);
    const QImage image = pixels();
    EXPECT_EQ(pixelAt(image, 0.0f, -0.5f), kBlack);
    EXPECT_EQ(pixelAt(image, -0.99f, -0.99f), kBlack);
    EXPECT_EQ(pixelAt(image, 0.99f, -0.02f), kBlack);
    EXPECT_EQ(pixelAt(image, 0.0f, 0.02f), kWhite);
    EXPECT_EQ(pixelAt(image, 0.9f, 0.9f), kWhite);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
}

TEST_F(GlTest, RootsGrowWhiteIntoTheBlackGround)
{
    Ground ground;
    GrowingRoots roots(gfx::FastPaths::all());
    ground.draw(4.0f);
    roots.draw(4.0f);  // not grown yet
    EXPECT_EQ(countPixels(pixels(), -1, -1, 1, 0, isLight), 0);

    ground.draw(20.0f);
    roots.draw(20.0f);
    const QImage image = pixels();
    EXPECT_GT(countPixels(image, -1, -1, 1, -0.01f, isLight), 100);
    // Straight down from the origin first.
    EXPECT_GT(countPixels(image, -0.02f, -0.05f, 0.02f, -0.01f, isLight), 0);
    // Nothing above the horizon.
    EXPECT_EQ(countPixels(image, -1, 0.02f, 1, 1, [](QRgb c) { return c != kWhite; }), 0);
}

TEST_F(GlTest, TreeGrowsDarkUpFromTheHorizon)
{
    GrowingTree tree(gfx::FastPaths::all());
    tree.draw(7.0f);  // growth 0: nothing shows
    EXPECT_EQ(countPixels(pixels(), -1, -1, 1, 1, isDark), 0);

    tree.draw(19.0f);
    const QImage image = pixels();
    EXPECT_GT(countPixels(image, -1, 0.01f, 1, 1, isDark), 100);
    EXPECT_GT(countPixels(image, -0.02f, 0.01f, 0.02f, 0.05f, isDark), 0);
    EXPECT_EQ(countPixels(image, -1, -1, 1, -0.02f, [](QRgb c) { return c != kWhite; }), 0);
}

TEST_F(GlTest, SkyDropsContinueTheRandomSequence)
{
    gfx::srand(7);
    std::array<float, 10> expected{};
    for (float& phase : expected)
        phase = static_cast<float>(static_cast<double>(rnd()) * -1.5 - static_cast<double>(0.3f));
    gfx::srand(7);
    const Sky sky(gfx::FastPaths::all());
    ASSERT_EQ(sky.dropList().size(), 10u);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(sky.dropList()[k].phase, expected[k]) << "drop " << k;
        EXPECT_EQ(sky.dropList()[k].x, 0.0f);
        EXPECT_GT(sky.dropList()[k].phase, -1.8f);
        EXPECT_LE(sky.dropList()[k].phase, -0.3f);
    }
}

TEST_F(GlTest, SkyBandFadesInHoldsAndFadesOut)
{
    seedAsTheDemo();
    Sky sky(gfx::FastPaths::all());
    sky.draw(5.9f);
    EXPECT_EQ(pixelAt(0.9f, 0.9f), kWhite);
    EXPECT_EQ(pixelAt(0.9f, -0.9f), kWhite);

    // At 12 s: opaque, blue 0.1 + 0.2 * 0.66.
    sky.draw(12.0f);
    expectColour(pixelAt(0.9f, 0.9f), 26, 26, 59);
    expectColour(pixelAt(-0.9f, 0.05f), 26, 26, 59);
    EXPECT_EQ(pixelAt(0.9f, -0.05f), kWhite);  // the band ends at the horizon

    glClear(GL_COLOR_BUFFER_BIT);
    sky.draw(17.5f);  // faded out again: only the disks that reach the corner show there
    double white = 1.0;
    for (const Sky::Drop& drop : sky.dropList()) {
        if (1.75f + drop.phase > std::hypot(0.9f, 0.9f))
            white *= 1.0 - 0.45;
    }
    const auto level = [&](double disk) { return static_cast<int>(std::lround(255 * (disk + (1.0 - disk) * white))); };
    expectColour(pixelAt(0.9f, 0.9f), level(0.6), level(0.6), level(0.1), 4);
}

TEST_F(GlTest, SkyDisksGlowYellowAroundTheOrigin)
{
    seedAsTheDemo();
    Sky sky(gfx::FastPaths::all());
    sky.draw(18.0f);
    const QRgb centre = pixelAt(0.0f, 0.05f);
    EXPECT_GT(qRed(centre), qBlue(centre) + 60);
    EXPECT_EQ(qRed(centre), qGreen(centre));
    EXPECT_EQ(pixelAt(0.0f, -0.05f), centre);  // not hidden here: no ground drawn
}

TEST_F(GlTest, SunBrightensOnItsArc)
{
    seedAsTheDemo();
    Sky sky(gfx::FastPaths::all());
    sky.draw(10.0f);
    // About (0.6704, 0.4149), grey 0.9, opaque over the band (at alpha 0.8 by now).
    expectColour(pixelAt(0.6704f, 0.4149f), 230, 230, 230);
    expectColour(pixelAt(0.6704f, 0.4149f + 0.07f), 72, 72, 89);

    glClear(GL_COLOR_BUFFER_BIT);
    sky.draw(20.0f);
    expectColour(pixelAt(-0.5694f, 0.4407f), 230, 230, 230);
}
