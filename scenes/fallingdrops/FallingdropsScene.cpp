#include "scenes/fallingdrops/FallingdropsScene.h"

#include "scenes/fallingdrops/Droplets.h"

#include <memory>

// The drops' own draw does the zoom and scroll, so the scene adds no camera.
FallingdropsScene::FallingdropsScene(const gfx::FastPaths& paths)
    : components{std::make_shared<Droplets>(paths)}
{
}

FallingdropsScene::~FallingdropsScene() = default;

void FallingdropsScene::draw(float t)
{
    drawComponents(components, t);
}
