#pragma once

// The black tree of the growing tree scene: from 7 s on it grows up from the
// middle of the horizon, level by level over 10 s, and sways until the scene
// ends. Regenerated every frame into a streamed line buffer.

#include "gfx/ISceneComponent.h"

#include <memory>

class GrowingTreePrivate;

class GrowingTree : public ISceneComponent
{
public:
    GrowingTree();  // needs a current GL context
    ~GrowingTree() override;
    void draw(float t) override;

private:
    std::unique_ptr<GrowingTreePrivate> priv;
};
