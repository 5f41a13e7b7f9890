#pragma once

// Everything the demo draws: told a time in seconds, it draws itself for that
// time with the current OpenGL state.
class ISceneComponent
{
public:
    ISceneComponent() noexcept { ++liveObjects; }
    ISceneComponent(const ISceneComponent&) noexcept { ++liveObjects; }
    ISceneComponent& operator=(const ISceneComponent&) = default;
    virtual ~ISceneComponent() { --liveObjects; }
    virtual void draw(float t) = 0;

    // Scenes and components alive now: a surface that is gone leaves none
    // behind. Objects are made and freed on the GUI thread only.
    static int liveCount() { return liveObjects; }

private:
    static inline int liveObjects = 0;
};
