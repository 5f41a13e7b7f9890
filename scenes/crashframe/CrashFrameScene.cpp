#include "scenes/crashframe/CrashFrameScene.h"

CrashFrameScene::CrashFrameScene()
    : components{}
{
}

CrashFrameScene::~CrashFrameScene() = default;

void CrashFrameScene::draw(float t)
{
    drawComponents(components, t);
}
