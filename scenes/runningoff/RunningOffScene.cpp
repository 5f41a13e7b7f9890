#include "scenes/runningoff/RunningOffScene.h"

#include "gfx/Gl.h"
#include "scenes/runningoff/RunningBranch.h"
#include "scenes/runningoff/RunningHills.h"

// The hills first, so the branch lies over them.
RunningOffScene::RunningOffScene(const gfx::FastPaths& paths)
    : components{std::make_shared<RunningHills>(paths), std::make_shared<RunningBranch>(paths)}
{
}

RunningOffScene::~RunningOffScene() = default;

void RunningOffScene::draw(float t)
{
    // No camera of its own: the branch pans inside its draw, and the push and
    // pop keep whatever it leaves from reaching the scenes drawn after.
    glPushMatrix();
    drawComponents(components, t);
    glPopMatrix();
}
