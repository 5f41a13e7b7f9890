#pragma once

// Everything the demo draws: told a time in seconds, it draws itself for that
// time with the current OpenGL state.
class ISceneComponent
{
public:
    virtual ~ISceneComponent() = default;
    virtual void draw(float t) = 0;
};
