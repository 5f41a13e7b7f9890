#include "scenes/runningoff/RunningOffScene.h"

RunningOffScene::RunningOffScene()
    : components{}
{
}

RunningOffScene::~RunningOffScene() = default;

void RunningOffScene::draw(float t)
{
    drawComponents(components, t);
}
