#pragma once

#include "gfx/SceneComponents.h"

class RunningOffScene : public ISceneComponent
{
public:
    RunningOffScene();
    ~RunningOffScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
