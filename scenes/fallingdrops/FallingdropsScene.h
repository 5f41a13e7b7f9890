#pragma once

#include "gfx/FastPaths.h"
#include "gfx/SceneComponents.h"

class FallingdropsScene : public ISceneComponent
{
public:
    explicit FallingdropsScene(const gfx::FastPaths& paths);
    ~FallingdropsScene() override;
    void draw(float t) override;

private:
    ComponentList components;
};
