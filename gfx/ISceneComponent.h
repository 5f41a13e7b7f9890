#pragma once

#include "base/LiveCounts.h"

// Everything the demo draws: told a time in seconds, it draws itself for that
// time with the current OpenGL state. (Counted for the leak checks only:
// base/LiveCounts.h.)
class ISceneComponent : private base::LiveCount<base::Counted::SceneComponents>
{
public:
    virtual ~ISceneComponent() = default;
    virtual void draw(float t) = 0;
};
