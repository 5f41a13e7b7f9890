// The running branch on real pixels, beyond the probes of ComponentsTest.cpp:
// white lines in the start square, black ground outside it with the buried
// lines cut out of it.

#include "scenes/runningoff/RunningBranch.h"
#include "support/GlTestContext.h"

#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr int kViewSize = 400;
constexpr float kPixel = 2.0f / kViewSize;  // world units per pixel of the square view
constexpr int kGrey = 128;               // the background the branch is drawn over

bool isGreyBackground(QRgb c) { return std::abs(qRed(c) - kGrey) <= 2 && qRed(c) == qBlue(c); }

// Whether some pixel within `radius` pixels of world (x, y) passes `test`.
bool anyNear(const QImage& image, float x, float y, int radius, const std::function<bool(QRgb)>& test)
{
    for (int j = -radius; j <= radius; ++j)
        for (int i = -radius; i <= radius; ++i)
            if (test(GlTest::pixelAt(image, x + i * kPixel, y + j * kPixel)))
                return true;
    return false;
}

float distanceToSegment(float px, float py, const float* s)
{
    const float vx = s[2] - s[0];
    const float vy = s[3] - s[1];
    const float lengthSquared = vx * vx + vy * vy;
    float u = lengthSquared > 0.0f ? ((px - s[0]) * vx + (py - s[1]) * vy) / lengthSquared : 0.0f;
    u = std::fmax(0.0f, std::fmin(1.0f, u));
    return std::hypot(px - (s[0] + u * vx), py - (s[1] + u * vy));
}

// The branch a frame at time t draws, generated the same way on plain memory.
std::vector<float> branchAt(float t)
{
    static const std::vector<float> ground = RunningBranch::makeGround();
    std::vector<float> floats(static_cast<std::size_t>(RunningBranch::branchCapacity()));
    branching::BranchBuffer buffer{floats.data(), 0, static_cast<int>(floats.size())};
    RunningBranch::generateFrame(buffer, ground, t);
    floats.resize(static_cast<std::size_t>(buffer.used));
    return floats;
}

class RunningBranchPixels : public GlTest
{
protected:
    RunningBranchPixels() : GlTest(kViewSize, kViewSize) {}

    void drawOverGrey(RunningBranch& branch, float t)
    {
        glClearColor(kGrey / 255.0f, kGrey / 255.0f, kGrey / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        branch.draw(t);
    }
};

} // namespace

TEST_F(RunningBranchPixels, InsideTheStartSquareASingleLineStaysWhite)
{
    RunningBranch branch(gfx::FastPaths::all());
    drawOverGrey(branch, 0.1f);
    const std::vector<float> segment = branchAt(0.1f);
    ASSERT_EQ(segment.size(), 4u);
    const QImage image = pixels();
    const float mx = 0.5f * (segment[0] + segment[2]);
    const float my = 0.5f * (segment[1] + segment[3]);
    EXPECT_TRUE(anyNear(image, mx, my, 1, [](QRgb c) { return c == kWhite; }));
    // Off the line the square leaves the background as it was, and the ground
    // (from x = 1 on) is not yet in view.
    EXPECT_TRUE(isGreyBackground(pixelAt(image, mx + 0.1f, my)));
    // The only dark pixels are the smoothed fringe of the black cover line,
    // which lands on pixels that only the square toggled.
    EXPECT_EQ(countPixels(image,
                          [&](float x, float y, QRgb c) {
                              return qRed(c) < 100 && distanceToSegment(x, y, segment.data()) > 2 * kPixel;
                          }),
              0);
}

TEST_F(RunningBranchPixels, OutsideTheSquareGroundIsBlackAndBuriedLinesLeaveGaps)
{
    const std::vector<float> ground = RunningBranch::makeGround();
    RunningBranch branch(gfx::FastPaths::all());
    int buriedWhite = 0;
    int buriedClipped = 0;
    int aboveBlack = 0;
    for (float t : {2.5f, 2.8f, 3.0f, 4.0f, 5.0f, 6.0f, 8.0f}) {
        drawOverGrey(branch, t);
        const QImage image = pixels();
        const float offset = RunningBranch::cameraOffset(t);
        // The start square has moved out of view: everything here is world x > 1.
        ASSERT_GT(-1.0f - offset, 1.0f);

        // Plain ground deep down is black, plain air high up is untouched.
        EXPECT_EQ(pixelAt(image, 0.0f, -0.9f), kBlack) << "t = " << t;
        EXPECT_TRUE(isGreyBackground(pixelAt(image, 0.0f, 0.9f))) << "t = " << t;
        // The white lines are clipped to world x <= 2.
        EXPECT_EQ(countPixels(image, [&](float x, float, QRgb c) { return x - offset > 2.0f + kPixel && c == kWhite; }),
                  0)
            << "t = " << t;

        const std::vector<float> f = branchAt(t);
        for (std::size_t i = 0; i < f.size(); i += 4) {
            const float* s = f.data() + i;
            const float wx = 0.5f * (s[0] + s[2]);
            const float wy = 0.5f * (s[1] + s[3]);
            const float sx = wx + offset;
            if (sx < -0.95f || sx > 0.95f || std::fabs(wy) > 0.95f || std::hypot(s[2] - s[0], s[3] - s[1]) < 8 * kPixel)
                continue;
            bool isolated = true;
            for (std::size_t j = 0; j < f.size() && isolated; j += 4)
                if (j != i && distanceToSegment(wx, wy, f.data() + j) < 4 * kPixel)
                    isolated = false;
            if (!isolated || std::fabs(wx - 2.0f) < 5 * kPixel)
                continue;
            const float depth = RunningBranch::groundHeightAt(ground, wx) - wy;
            if (depth > 5 * kPixel) {
                if (wx < 2.0f) {
                    EXPECT_TRUE(anyNear(image, sx, wy, 1, [](QRgb c) { return c == kWhite; })) << "t = " << t;
                    EXPECT_EQ(pixelAt(image, sx + 3 * kPixel * (s[3] - s[1]) / std::hypot(s[2] - s[0], s[3] - s[1]),
                                      wy - 3 * kPixel * (s[2] - s[0]) / std::hypot(s[2] - s[0], s[3] - s[1])),
                              kBlack);
                    ++buriedWhite;
                } else {
                    EXPECT_TRUE(anyNear(image, sx, wy, 1, isGreyBackground)) << "t = " << t;
                    ++buriedClipped;
                }
            } else if (depth < -5 * kPixel) {
                EXPECT_TRUE(anyNear(image, sx, wy, 1, [](QRgb c) { return qRed(c) < kGrey - 20; })) << "t = " << t;
                EXPECT_FALSE(anyNear(image, sx, wy, 1, [](QRgb c) { return c == kWhite; })) << "t = " << t;
                ++aboveBlack;
            }
        }
    }
    // The frames must have shown each case at least once.
    EXPECT_GT(buriedWhite, 0);
    EXPECT_GT(buriedClipped, 0);
    EXPECT_GT(aboveBlack, 0);
}
