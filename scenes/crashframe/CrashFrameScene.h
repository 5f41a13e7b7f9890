#pragma once

#include "gfx/SceneComponents.h"

class CrashFrameScene : public ISceneComponent
{
public:
    CrashFrameScene();
    ~CrashFrameScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
