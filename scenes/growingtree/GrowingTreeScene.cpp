#include "scenes/growingtree/GrowingTreeScene.h"

GrowingTreeScene::GrowingTreeScene()
    : components{}
{
}

GrowingTreeScene::~GrowingTreeScene() = default;

void GrowingTreeScene::draw(float t)
{
    drawComponents(components, t);
}
