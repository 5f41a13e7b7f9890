#pragma once

// The third scene, 37 to 70 s: a branch running right along a wavy ground line
// in front of scrolling hills under a yellow sky.

#include "gfx/FastPaths.h"
#include "gfx/SceneComponents.h"

class RunningOffScene : public ISceneComponent
{
public:
    explicit RunningOffScene(const gfx::FastPaths& paths);  // needs a current GL context
    ~RunningOffScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
