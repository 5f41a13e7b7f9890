// The growing tree scene's components on real pixels, beyond the probes of
// ComponentsTest.cpp: the roots and the tree growing, and the sky's drops.

#include "gfx/Random.h"
#include "scenes/growingtree/Ground.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTree.h"
#include "scenes/growingtree/Sky.h"
#include "support/GlTestContext.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// Pixels inside the world rectangle [x0, x1] x [y0, y1] for which `test` holds.
int countIn(const QImage& image, float x0, float y0, float x1, float y1, bool (*test)(QRgb))
{
    return countPixels(image, [&](float x, float y, QRgb c) {
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && test(c);
    });
}

bool isLight(QRgb c) { return qRed(c) > 100 && qGreen(c) > 100 && qBlue(c) > 100; }
bool isDark(QRgb c) { return qRed(c) < 160 && qGreen(c) < 160 && qBlue(c) < 160; }
bool isNotWhite(QRgb c) { return c != kWhite; }

using GrowingTreePixels = GlTest;

} // namespace

TEST_F(GrowingTreePixels, RootsGrowWhiteIntoTheBlackGround)
{
    Ground ground;
    GrowingRoots roots(gfx::FastPaths::all());
    ground.draw(4.0f);
    roots.draw(4.0f);  // not grown yet
    EXPECT_EQ(countIn(pixels(), -1, -1, 1, 0, isLight), 0);

    ground.draw(20.0f);
    roots.draw(20.0f);
    const QImage image = pixels();
    EXPECT_GT(countIn(image, -1, -1, 1, -0.01f, isLight), 100);
    EXPECT_GT(countIn(image, -0.02f, -0.05f, 0.02f, -0.01f, isLight), 0) << "straight down from the origin first";
    EXPECT_EQ(countIn(image, -1, 0.02f, 1, 1, isNotWhite), 0) << "nothing above the horizon";
}

TEST_F(GrowingTreePixels, TreeGrowsDarkUpFromTheHorizon)
{
    GrowingTree tree(gfx::FastPaths::all());
    tree.draw(7.0f);  // growth 0: nothing shows
    EXPECT_EQ(countIn(pixels(), -1, -1, 1, 1, isDark), 0);

    tree.draw(19.0f);
    const QImage image = pixels();
    EXPECT_GT(countIn(image, -1, 0.01f, 1, 1, isDark), 100);
    EXPECT_GT(countIn(image, -0.02f, 0.01f, 0.02f, 0.05f, isDark), 0) << "straight up from the origin first";
    EXPECT_EQ(countIn(image, -1, -1, 1, -0.02f, isNotWhite), 0) << "nothing below the horizon";
}

TEST_F(GrowingTreePixels, SkyDropsContinueTheRandomSequence)
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
        EXPECT_EQ(sky.dropList()[k].x, 0.0f) << "drop " << k;
    }
}

// Faded out again at 17.5 s: in the corner only the yellow disks that reach it
// show, each at alpha 0.45.
TEST_F(GrowingTreePixels, SkyBandFadesOutUnderItsDisks)
{
    gfx::srand(7);
    Sky sky(gfx::FastPaths::all());
    sky.draw(17.5f);
    double white = 1.0;
    for (const Sky::Drop& drop : sky.dropList()) {
        if (1.75f + drop.phase > std::hypot(0.9f, 0.9f))
            white *= 1.0 - 0.45;
    }
    ASSERT_LT(white, 1.0) << "no disk reaches the corner";
    const auto level = [&](double disk) { return static_cast<int>(std::lround(255 * (disk + (1.0 - disk) * white))); };
    const QRgb corner = pixelAt(0.9f, 0.9f);
    EXPECT_NEAR(qRed(corner), level(0.6), 4);
    EXPECT_NEAR(qGreen(corner), level(0.6), 4);
    EXPECT_NEAR(qBlue(corner), level(0.1), 4);
}
