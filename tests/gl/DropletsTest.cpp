// The falling drops scene on real pixels: the rings' black where an odd
// number of them overlap, the drops over them in their colours, and the
// random values the scene takes.

#include "app/Projection.h"
#include "gfx/Random.h"
#include "scenes/fallingdrops/DropMotion.h"
#include "scenes/fallingdrops/FallingdropsScene.h"
#include "support/GlTestContext.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

using dropmotion::CameraPose;
using dropmotion::Drop;
using dropmotion::DropPose;

struct Point
{
    float x;
    float y;
};

// The drops' camera as one scale and a lift: a point q of the drops' own
// coordinates lands on the screen at scale * q + (0, lift), and back.
float cameraScale(const CameraPose& c)
{
    return c.zoom * (c.scrolls ? c.settleZoom : 1.0f);
}

Point toScreen(const CameraPose& c, Point q)
{
    return {cameraScale(c) * q.x, cameraScale(c) * q.y + c.zoom * (c.scrolls ? c.lift : 0.0f)};
}

Point fromScreen(const CameraPose& c, Point p)
{
    return {p.x / cameraScale(c), (p.y - c.zoom * (c.scrolls ? c.lift : 0.0f)) / cameraScale(c)};
}

// World coordinates of the centre of pixel (i, j) (row 0 at the top).
Point pixelCentre(const QImage& image, int i, int j)
{
    const OrthoBounds b = orthoBounds(image.width(), image.height());
    return {b.left + (static_cast<float>(i) + 0.5f) / static_cast<float>(image.width()) * (b.right - b.left),
            b.top - (static_cast<float>(j) + 0.5f) / static_cast<float>(image.height()) * (b.top - b.bottom)};
}

class DropletsGl : public GlTest
{
protected:
    DropletsGl() : GlTest(240, 240) {}

    void SetUp() override
    {
        GlTest::SetUp();
        if (rndnSparePending())
            rndn();
        drops = dropmotion::scatterDrops();
    }

    QImage frameAt(FallingdropsScene& scene, float t)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        scene.draw(t);
        return pixels();
    }

    // How many rings cover q at time t; -1 when q is too close to a ring's edge
    // or under a drop for the answer to be read off a pixel.
    int ringCountAt(Point q, float t, float margin) const
    {
        int count = 0;
        DropPose pose{};
        for (const Drop& d : drops) {
            if (dropmotion::dropPoseAt(d, t, pose) &&
                std::hypot(q.x - pose.x, q.y - pose.y) < pose.scale + margin)
                return -1;
            const float r = dropmotion::ringRadius(d.phase, t);
            if (r <= 0.0f)
                continue;
            const float distance = std::hypot(q.x - d.x, q.y - d.y);
            if (std::fabs(distance - r) < margin || std::fabs(distance - 2.0f * r) < margin)
                return -1;
            if (distance > r && distance < 2.0f * r)
                ++count;
        }
        return count;
    }

    std::vector<Drop> drops;
};

TEST_F(DropletsGl, ConstructionDrawsTwoHundredFiftyValuesFromSeedTwo)
{
    gfx::srand(2);
    for (int i = 0; i < 250; ++i)
        gfx::rand();
    const int next = gfx::rand();

    gfx::srand(7);
    FallingdropsScene scene(gfx::FastPaths::all());
    EXPECT_FALSE(rndnSparePending());
    EXPECT_EQ(gfx::rand(), next);
}

TEST_F(DropletsGl, RingsPaintBlackWhereAnOddNumberOverlap)
{
    FallingdropsScene scene(gfx::FastPaths::all());
    const float pixel = 2.0f / static_cast<float>(width);
    std::map<int, int> seen;  // ring count -> pixels checked
    int wrong = 0;
    for (float t : {1.0f, 6.0f, 11.0f, 14.0f, 17.0f}) {
        const CameraPose camera = dropmotion::cameraPoseAt(t);
        const QImage image = frameAt(scene, t);
        const float margin = 2.0f * pixel / cameraScale(camera);
        for (int j = 0; j < image.height(); j += 3) {
            for (int i = 0; i < image.width(); i += 3) {
                const int count = ringCountAt(fromScreen(camera, pixelCentre(image, i, j)), t, margin);
                if (count < 0)
                    continue;
                ++seen[count];
                const QRgb expected = count % 2 == 1 ? kBlack : kWhite;
                if (image.pixel(i, j) != expected && ++wrong <= 5)
                    ADD_FAILURE() << "t " << t << ", pixel " << i << "," << j << " under " << count
                                  << " rings is " << std::hex << image.pixel(i, j);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    // The frames must hold the cases that matter: no ring, two and three.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[2], 0);
    EXPECT_GT(seen[3], 0);
}

TEST_F(DropletsGl, DropsShowTheirBlinkAndTheirOlive)
{
    FallingdropsScene scene(gfx::FastPaths::all());
    const OrthoBounds bounds = orthoBounds(width, height);
    int whiteSeen = 0;
    int blackSeen = 0;
    int oliveSeen = 0;
    for (float t : {8.0f, 14.55f, 14.6f, 20.0f, 25.0f}) {
        const CameraPose camera = dropmotion::cameraPoseAt(t);
        const QImage image = frameAt(scene, t);
        std::vector<DropPose> poses;
        DropPose pose{};
        for (const Drop& d : drops)
            if (dropmotion::dropPoseAt(d, t, pose))
                poses.push_back(pose);
        for (std::size_t k = 0; k < poses.size(); ++k) {
            const DropPose& p = poses[k];
            const Point centre = toScreen(camera, {p.x, p.y});
            const float radius = p.scale * cameraScale(camera);
            if (radius < 0.02f || centre.x < bounds.left || centre.x > bounds.right || centre.y < bounds.bottom ||
                centre.y > bounds.top)
                continue;
            // Later drops are drawn on top; skip a centre that one of them covers.
            bool covered = false;
            for (std::size_t later = k + 1; later < poses.size(); ++later) {
                const Point c = toScreen(camera, {poses[later].x, poses[later].y});
                const float reach = poses[later].scale * cameraScale(camera) + 0.02f;
                covered |= std::hypot(c.x - centre.x, c.y - centre.y) < reach;
            }
            if (covered)
                continue;
            const QRgb pixel = pixelAt(image, centre.x, centre.y);
            EXPECT_NEAR(qRed(pixel), p.red * 255.0f, 1.0f) << "t " << t;
            EXPECT_NEAR(qGreen(pixel), p.green * 255.0f, 1.0f) << "t " << t;
            EXPECT_NEAR(qBlue(pixel), p.blue * 255.0f, 1.0f) << "t " << t;
            if (p.blue == 1.0f)
                ++whiteSeen;
            else if (p.blue == 0.0f)
                ++blackSeen;
            else if (p.red > 0.3f)
                ++oliveSeen;
        }
    }
    EXPECT_GT(whiteSeen, 0);
    EXPECT_GT(blackSeen, 0);
    EXPECT_GT(oliveSeen, 0);
}

} // namespace
