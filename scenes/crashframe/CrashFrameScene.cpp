#include "scenes/crashframe/CrashFrameScene.h"

#include "gfx/FastPaths.h"
#include "gfx/Gl.h"
#include "gfx/ShapeVertices.h"
#include "gfx/ViewWindow.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/Explosion.h"

#include <array>

namespace {

// Right, up, left and down. Each angle is also its frame's seed, through its bits.
// Half the side of the square inside a circle of radius 1, rounded down.
constexpr float kHalfSquareInCircle = 0.7071f;

constexpr std::array<float, 4> kFrameAngles = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

} // namespace

// The explosion first, beneath the branches.
CrashFrameScene::CrashFrameScene()
    : components{std::shared_ptr<ISceneComponent>(new Explosion()),
                 std::shared_ptr<ISceneComponent>(new BranchFrame(kFrameAngles[0])),
                 std::shared_ptr<ISceneComponent>(new BranchFrame(kFrameAngles[1])),
                 std::shared_ptr<ISceneComponent>(new BranchFrame(kFrameAngles[2])),
                 std::shared_ptr<ISceneComponent>(new BranchFrame(kFrameAngles[3]))}
{
}

CrashFrameScene::~CrashFrameScene() = default;

gfx::HiddenRect CrashFrameScene::hiddenRegion(float t)
{
    // The explosion comes first and its black disk is opaque: it hides the
    // square inside it, and the whole view once it covers it.
    if (!gfx::cullingEnabled())
        return gfx::kNothingHiddenRect;
    if (Explosion::blackensView(t, gfx::currentViewWindow()))
        return gfx::kAllHiddenRect;
    const float half = gfx::inscribedRadius(Explosion::kSegments, Explosion::radiusAt(t)) * kHalfSquareInCircle;
    return half > 0.0f ? gfx::HiddenRect{-half, half, -half, half} : gfx::kNothingHiddenRect;
}

void CrashFrameScene::draw(float t)
{
    // No camera of its own; push and pop keep any component's matrix to itself.
    glPushMatrix();
    // Once the white disk covers the view, the branch lines over it cannot
    // change a pixel: the explosion alone draws the frame.
    if (gfx::cullingEnabled() && Explosion::whitensView(t, gfx::currentViewWindow()))
        components.front()->draw(t);
    else
        drawComponents(components, t);
    glPopMatrix();
}
