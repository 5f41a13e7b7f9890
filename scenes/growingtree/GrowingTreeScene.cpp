#include "scenes/growingtree/GrowingTreeScene.h"

#include "gfx/Gl.h"
#include "scenes/growingtree/Ground.h"
#include "scenes/growingtree/GrowingRoots.h"
#include "scenes/growingtree/GrowingTree.h"
#include "scenes/growingtree/Sky.h"

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
GrowingTreeScene::GrowingTreeScene()
    : components{std::shared_ptr<ISceneComponent>(new Sky()), std::shared_ptr<ISceneComponent>(new Ground()),
                 std::shared_ptr<ISceneComponent>(new GrowingTree()),
                 std::shared_ptr<ISceneComponent>(new GrowingRoots())}
{
}

GrowingTreeScene::~GrowingTreeScene() = default;

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
