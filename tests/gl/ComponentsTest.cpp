// Every scene and component on real GL state and real pixels, as tables: the
// GL state each leaves behind, and the colours it paints where it should.
// What needs more than a few probes is in the scenes' own test files.

#include "gfx/Random.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/CrashFrameScene.h"
#include "scenes/crashframe/Explosion.h"
#include "scenes/fallingdrops/FallingdropsScene.h"
#include "scenes/growingtree/Ground.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTree.h"
#include "scenes/growingtree/GrowingTreeScene.h"
#include "scenes/growingtree/Sky.h"
#include "scenes/growingtree/SkyAboveHorizon.h"
#include "scenes/runningoff/RunningBranch.h"
#include "scenes/runningoff/RunningHills.h"
#include "scenes/runningoff/RunningOffScene.h"
#include "support/GlTestContext.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Make = std::function<std::unique_ptr<ISceneComponent>()>;

template <typename Component>
std::unique_ptr<ISceneComponent> make()
{
    return std::make_unique<Component>(gfx::FastPaths::all());
}

// A branch frame growing in the direction of `angle`.
Make branchFrame(float angle)
{
    return [angle] { return std::make_unique<BranchFrame>(angle, gfx::FastPaths::all()); };
}

// The sky built in the random state the demo builds it in: after the drops' 250 values from seed 2.
std::unique_ptr<ISceneComponent> makeSkyAsTheDemo()
{
    gfx::srand(2);
    for (int i = 0; i < 250; ++i)
        gfx::rand();
    return make<Sky>();
}

constexpr float kEverywhere = 10.0f;  // a probe's x: every pixel of the view has the colour
constexpr float kNowhere = 20.0f;     // a probe's x: no pixel of the view has the colour

struct Probe
{
    float x;
    float y;
    QRgb colour;
    int tolerance;  // per channel
};

QRgb grey(float level)
{
    const int v = static_cast<int>(std::lround(level * 255.0f));
    return qRgb(v, v, v);
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

// At the moments its drawing changes, in the plain view and moved and scaled
// (where the view window and the scissor boxes of the fast paths differ).
TEST_F(GlTest, EveryComponentLeavesTheGlStateAsItFoundIt)
{
    const std::vector<float> treeTimes = {0.0f, 2.5f, 4.0f, 5.0f, 6.0f, 7.0f, 9.0f, 12.5f, 17.6f, 17.7f, 18.7f, 20.0f};
    const std::vector<float> runningTimes = {-1.0f, 0.0f, 0.1f, 3.0f, 6.0f, 12.0f, 23.5f, 33.0f};
    const std::vector<float> crashTimes = {0.0f, 0.1f, 3.0f, 10.0f, 11.0f, 15.0f};
    const struct
    {
        const char* what;
        Make make;
        std::vector<float> times;
    } rows[] = {
        {"the falling drops scene", &make<FallingdropsScene>, {-9.5f, 0.0f, 12.2f, 16.0f, 30.0f}},
        {"the sky above the horizon", &make<SkyAboveHorizon>, treeTimes},
        {"the ground", [] { return std::make_unique<Ground>(); }, treeTimes},
        {"the growing tree", &make<GrowingTree>, treeTimes},
        {"the growing roots", &make<GrowingRoots>, treeTimes},
        {"the growing tree scene", &make<GrowingTreeScene>, treeTimes},
        {"the running hills", &make<RunningHills>, runningTimes},
        {"the running branch", &make<RunningBranch>, runningTimes},
        {"the running off scene", &make<RunningOffScene>, runningTimes},
        {"the explosion", &make<Explosion>, crashTimes},
        {"a branch frame", branchFrame(1.5707964f), crashTimes},
        {"the crash frame scene", &make<CrashFrameScene>, crashTimes},
    };
    gfx::srand(2);
    for (const auto& row : rows) {
        const std::unique_ptr<ISceneComponent> component = row.make();
        for (const bool moved : {false, true}) {
            glPushMatrix();
            if (moved) {
                glTranslatef(0.25f, -0.5f, 0.0f);
                glScalef(0.5f, 0.5f, 1.0f);
            }
            for (float t : row.times) {
                const std::string before = glState();
                component->draw(t);
                EXPECT_EQ(glState(), before) << row.what << " at " << t << " s" << (moved ? ", moved" : "");
            }
            glPopMatrix();
        }
    }
}

// Each row draws a new component at one time on white and probes the frame.
TEST_F(GlTest, EveryComponentPaintsItsColoursWhereItShould)
{
    const QRgb bandBlue = qRgb(26, 26, 59);  // 0.1, 0.1, 0.1 + 0.2 * 0.66
    const QRgb yellow = qRgb(153, 153, 26);  // 0.6, 0.6, 0.1
    const struct
    {
        const char* what;
        Make make;
        float t;
        std::vector<Probe> probes;
    } rows[] = {
        {"a branch frame at its start", branchFrame(0.0f), 0.0f, {{kEverywhere, 0, kWhite, 0}}},
        {"the explosion at its start", &make<Explosion>, 0.0f, {{kEverywhere, 0, kWhite, 0}}},
        {"the explosion at radius 0.45", &make<Explosion>, 1.0f,
         {{0.0f, 0.0f, kBlack, 0}, {0.4f, 0.0f, kBlack, 0}, {0.5f, 0.0f, kWhite, 0}}},
        {"the explosion over the view, white not yet", &make<Explosion>, 10.0f, {{0.99f, 0.99f, kBlack, 0}}},
        {"the explosion's white at 0.4 over black", &make<Explosion>, 11.0f, {{0.99f, 0.99f, qRgb(102, 102, 102), 2}}},
        {"the ground, below the horizon only", [] { return std::make_unique<Ground>(); }, -3.0f,
         {{0.0f, -0.5f, kBlack, 0},
          {-0.99f, -0.99f, kBlack, 0},
          {0.99f, -0.02f, kBlack, 0},
          {0.0f, 0.02f, kWhite, 0},
          {0.9f, 0.9f, kWhite, 0}}},
        {"the growing tree before it starts", &make<GrowingTree>, 6.99f, {{kEverywhere, 0, kWhite, 0}}},
        {"the growing roots before they start", &make<GrowingRoots>, 3.99f, {{kEverywhere, 0, kWhite, 0}}},
        {"the sky before its band", &makeSkyAsTheDemo, 5.9f, {{0.9f, 0.9f, kWhite, 0}, {0.9f, -0.9f, kWhite, 0}}},
        {"the sky's band, opaque down to the horizon", &makeSkyAsTheDemo, 12.0f,
         {{0.9f, 0.9f, bandBlue, 2}, {-0.9f, 0.05f, bandBlue, 2}, {0.9f, -0.05f, kWhite, 0}}},
        {"the sun on its arc, grey 0.9 over the band", &makeSkyAsTheDemo, 10.0f,
         {{0.6704f, 0.4149f, grey(0.9f), 2}, {0.6704f, 0.4849f, qRgb(72, 72, 89), 2}}},
        {"the sun further on its arc", &makeSkyAsTheDemo, 20.0f, {{-0.5694f, 0.4407f, grey(0.9f), 2}}},
        {"the growing tree scene two units low", &make<GrowingTreeScene>, 0.0f, {{0.0f, -0.9f, kWhite, 0}}},
        {"the growing tree scene half a unit low", &make<GrowingTreeScene>, 3.75f,
         {{0.0f, -0.75f, kBlack, 0}, {0.5f, -0.45f, kWhite, 0}}},
        {"the growing tree scene at rest", &make<GrowingTreeScene>, 5.0f,
         {{0.5f, -0.05f, kBlack, 0}, {0.5f, 0.05f, kWhite, 0}}},
        {"the growing tree scene slid left, its ground ending at x = -0.56", &make<GrowingTreeScene>, 19.0f,
         {{-0.8f, -0.5f, kBlack, 0}, {0.5f, -0.5f, kWhite, 0}}},
        {"the running branch before it starts", &make<RunningBranch>, -0.5f, {{kEverywhere, 0, kWhite, 0}}},
        // The farthest layer would show above the next one, but it has no area.
        {"the running hills far to near, unscrolled", &make<RunningHills>, 3.0f,
         {{0.0f, -0.1f, kWhite, 0},
          {0.0f, -0.24f, grey(0.54f), 2},
          {0.0f, -0.5f, grey(0.62f), 2},
          {0.0f, -0.9f, grey(0.70f), 2},
          {kNowhere, 0, grey(0.46f), 3}}},
        {"the running hills' sky before it shows", &make<RunningHills>, 5.9f, {{0.0f, 0.8f, kWhite, 0}}},
        {"the running hills' sky, opaque yellow", &make<RunningHills>, 12.0f, {{0.0f, 0.8f, yellow, 2}}},
        {"the running off scene, the branch's black ground over the hills", &make<RunningOffScene>, 12.0f,
         {{0.0f, 0.9f, yellow, 2}, {0.0f, -0.9f, kBlack, 0}}},
    };
    for (const auto& row : rows) {
        glClear(GL_COLOR_BUFFER_BIT);
        row.make()->draw(row.t);
        const QImage image = pixels();
        for (const Probe& p : row.probes) {
            if (p.x == kEverywhere || p.x == kNowhere) {
                const bool everywhere = p.x == kEverywhere;
                const int off = countPixels(image, [&](float, float, QRgb c) { return near(c, p.colour, p.tolerance) != everywhere; });
                EXPECT_EQ(off, 0) << row.what << " at " << row.t << " s: " << off << " pixels "
                                  << (everywhere ? "not " : "") << "of colour " << std::hex << p.colour;
            } else {
                const QRgb seen = pixelAt(image, p.x, p.y);
                EXPECT_TRUE(near(seen, p.colour, p.tolerance)) << row.what << " at " << row.t << " s, (" << p.x << ", "
                                                               << p.y << "): " << std::hex << seen << ", not " << p.colour;
            }
        }
    }
}
