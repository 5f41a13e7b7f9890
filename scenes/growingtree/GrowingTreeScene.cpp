#include "scenes/growingtree/GrowingTreeScene.h"

#include "gfx/Gl.h"
#include "scenes/growingtree/Ground.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTree.h"
#include "scenes/growingtree/Sky.h"
#include "scenes/growingtree/SkyAboveHorizon.h"

namespace {

constexpr float kRiseTime = 5.0f;     // seconds until the scene is at rest
constexpr float kRiseFrom = -2.0f;    // starting height below rest
constexpr float kSlideStart = 17.7f;  // seconds
constexpr float kSlideSpeed = -1.2f;  // units per second, to the left

} // namespace

GrowingTreeScene::Camera GrowingTreeScene::cameraAt(float t)
{
    Camera camera{false, 0.0f, false, 0.0f};
    if (t < kRiseTime) {
        const float u = t / kRiseTime;
        camera.rises = true;
        camera.y = u < 0.0f ? kRiseFrom : u > 1.0f ? 0.0f : (u + u) + kRiseFrom;
    }
    if (t > kSlideStart) {
        camera.slides = true;
        camera.x = (t - kSlideStart) * kSlideSpeed;
    }
    return camera;
}

// Sky first: its constructor continues the random sequence the drops began.
GrowingTreeScene::GrowingTreeScene(const gfx::FastPaths& paths)
    : components{std::make_shared<SkyAboveHorizon>(paths), std::make_shared<Ground>(),
                 std::make_shared<GrowingTree>(paths), std::make_shared<GrowingRoots>(paths)}
{
}

GrowingTreeScene::~GrowingTreeScene() = default;

gfx::HiddenRect GrowingTreeScene::hiddenRegion(float t, const gfx::ViewWindow& view)
{
    const Camera camera = cameraAt(t);
    const Ground::Extent ground = Ground::extent();
    const float x = camera.slides ? camera.x : 0.0f;
    const float y = camera.rises ? camera.y : 0.0f;
    if (!gfx::rectangleHidesViewBelowTop(view, ground.left + x, ground.right + x, ground.bottom + y, ground.top + y))
        return gfx::kEmptyHiddenRect;
    // While the sky box is opaque it continues the ground upwards, edge to
    // edge: together they hide what lies below the box's top.
    constexpr Sky::Extent box = Sky::kBoxExtent;
    static_assert(box.bottom == Ground::extent().top && box.left == Ground::extent().left &&
                      box.right == Ground::extent().right,
                  "the sky box continues the ground");
    const bool boxOpaque = t >= 0.0f && Sky::boxAt(t).alpha == 1.0f;
    if (boxOpaque &&
        gfx::rectangleHidesViewBelowTop(view, ground.left + x, ground.right + x, ground.bottom + y, box.top + y))
        return gfx::hiddenBelow(box.top + y);
    return gfx::hiddenBelow(ground.top + y);
}

void GrowingTreeScene::draw(float t)
{
    const Camera camera = cameraAt(t);
    glPushMatrix();
    if (camera.rises)
        glTranslatef(0.0f, camera.y, 0.0f);
    if (camera.slides)
        glTranslatef(camera.x, 0.0f, 0.0f);
    drawComponents(components, t);
    glPopMatrix();
}
