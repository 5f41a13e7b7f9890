#pragma once

// The black tree of the growing tree scene: from 7 s on it grows up from the
// middle of the horizon, level by level over 10 s, and sways until the scene
// ends. Regenerated every frame into a streamed line buffer.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"

#include <memory>

class GrowingTreePrivate;

class GrowingTree : public ISceneComponent
{
public:
    explicit GrowingTree(const gfx::FastPaths& paths);  // needs a current GL context
    ~GrowingTree() override;
    void draw(float t) override;

private:
    const gfx::FastPaths paths;
    std::unique_ptr<GrowingTreePrivate> priv;
};
