#pragma once

#include "gfx/SceneComponents.h"

class FallingdropsScene : public ISceneComponent
{
public:
    FallingdropsScene();
    ~FallingdropsScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
