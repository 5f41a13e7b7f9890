#include "scenes/fallingdrops/FallingdropsScene.h"

FallingdropsScene::FallingdropsScene()
    : components{}
{
}

FallingdropsScene::~FallingdropsScene() = default;

void FallingdropsScene::draw(float t)
{
    drawComponents(components, t);
}
