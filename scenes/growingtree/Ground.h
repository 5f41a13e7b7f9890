#pragma once

// The black earth of the growing tree scene: an opaque rectangle from (-1, -1)
// to (1, 0), below the horizon. It hides the lower halves of the sky's disks;
// the roots grow into it.

#include "gfx/ISceneComponent.h"

class Ground : public ISceneComponent
{
public:
    Ground();  // needs a current GL context
    ~Ground() override;
    void draw(float t) override;

    // The rectangle it paints, in the scene's coordinates.
    struct Extent
    {
        float left, right, bottom, top;
    };
    static constexpr Extent extent() { return {-1.0f, 1.0f, -1.0f, 0.0f}; }

private:
    unsigned int bufferId = 0;  // streamed: its four vertices are rewritten every frame
};
