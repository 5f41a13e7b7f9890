#pragma once

#include "gfx/SceneComponents.h"

class GrowingTreeScene : public ISceneComponent
{
public:
    GrowingTreeScene();
    ~GrowingTreeScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
