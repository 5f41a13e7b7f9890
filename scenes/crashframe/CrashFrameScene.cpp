#include "scenes/crashframe/CrashFrameScene.h"

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
CrashFrameScene::CrashFrameScene(const gfx::FastPaths& fastPaths)
    : paths(fastPaths),
      components{std::make_shared<Explosion>(paths), std::make_shared<BranchFrame>(kFrameAngles[0], paths),
                 std::make_shared<BranchFrame>(kFrameAngles[1], paths),
                 std::make_shared<BranchFrame>(kFrameAngles[2], paths),
                 std::make_shared<BranchFrame>(kFrameAngles[3], paths)}
{
}

CrashFrameScene::~CrashFrameScene() = default;

gfx::HiddenRect CrashFrameScene::hiddenRegion(float t, const gfx::ViewWindow& view)
{
    // The explosion comes first and its black disk is opaque: it hides the
    // square inside it, and the whole view once it covers it.
    if (Explosion::blackensView(t, view))
        return gfx::kWholeViewHiddenRect;
    const float half = gfx::inscribedRadius(Explosion::kSegments, Explosion::radiusAt(t)) * kHalfSquareInCircle;
    return half > 0.0f ? gfx::HiddenRect{-half, half, -half, half} : gfx::kEmptyHiddenRect;
}

void CrashFrameScene::draw(float t)
{
    // No camera of its own; push and pop keep any component's matrix to itself.
    glPushMatrix();
    // Once the white disk covers the view, the branch lines over it cannot
    // change a pixel: the explosion alone draws the frame.
    if (Explosion::whitensView(t, gfx::visibleWindow(paths)))
        components.front()->draw(t);
    else
        drawComponents(components, t);
    glPopMatrix();
}
