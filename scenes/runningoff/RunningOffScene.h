#pragma once

// The third scene, 37 to 70 s: a branch running right along a wavy ground line
// in front of scrolling hills under a yellow sky.

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
