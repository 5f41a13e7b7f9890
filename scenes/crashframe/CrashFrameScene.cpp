#include "scenes/crashframe/CrashFrameScene.h"

#include "gfx/FastPaths.h"
#include "gfx/Gl.h"
#include "gfx/ViewWindow.h"
#include "scenes/crashframe/BranchFrame.h"
#include "scenes/crashframe/Explosion.h"

#include <array>

namespace {

// Right, up, left and down. Each angle is also its frame's seed, through its bits.
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
    // The explosion comes first and its black disk is opaque. (While the disk
    // is smaller than the view, drawing the scenes before it around it costs
    // more than the pixels it saves.)
    const bool covered = gfx::cullingEnabled() && Explosion::blackensView(t, gfx::currentViewWindow());
    return covered ? gfx::kAllHiddenRect : gfx::kNothingHiddenRect;
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
