#include "app/Schedule.h"

#include "gfx/Gl.h"
#include "scenes/crashframe/CrashFrameScene.h"
#include "scenes/fallingdrops/FallingdropsScene.h"
#include "scenes/growingtree/GrowingTreeScene.h"
#include "scenes/runningoff/RunningOffScene.h"

#include <array>

namespace {

struct Slot
{
    float start;
    float end;
    ISceneComponent* (*make)();
};

// Schedule order is construction order and, within a frame, draw order.
const std::array<Slot, 4> kSlots = {{
    {0.0f, 35.0f, []() -> ISceneComponent* { return new FallingdropsScene(); }},
    {20.0f, 40.0f, []() -> ISceneComponent* { return new GrowingTreeScene(); }},
    {37.0f, 70.0f, []() -> ISceneComponent* { return new RunningOffScene(); }},
    {60.0f, 75.0f, []() -> ISceneComponent* { return new CrashFrameScene(); }},
}};

} // namespace

Schedule::SceneInfo::SceneInfo(float startSeconds, float endSeconds, ISceneComponent* ownedScene)
    : start(startSeconds), end(endSeconds), scene(ownedScene)
{
}

void Schedule::build()
{
    for (const Slot& slot : kSlots)
        append(slot.start, slot.end, slot.make());
}

void Schedule::append(float start, float end, ISceneComponent* scene)
{
    entries.emplace_back(start, end, scene);
}

void Schedule::clear()
{
    // Scenes go first to last, as a list destroys its entries.
    entries.clear();
}

bool Schedule::drawFrame(float t)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);

    bool goesOn = false;
    for (SceneInfo& entry : entries) {
        if (entry.start <= t && t <= entry.end)
            entry.scene->draw(t - entry.start);
        if (entry.end > t)
            goesOn = true;
    }
    return goesOn;
}

float Schedule::endTime()
{
    return kSlots.back().end;
}

float demoSeconds(std::int64_t nowNanos, std::int64_t startNanos)
{
    return static_cast<float>(static_cast<double>(nowNanos - startNanos) / 1e9);
}
