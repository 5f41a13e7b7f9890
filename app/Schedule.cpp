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
    Schedule::SceneInfo::HidesEarlier hidesEarlier;
};

// Schedule order is construction order and, within a frame, draw order.
const std::array<Slot, 4> kSlots = {{
    {0.0f, 35.0f, []() -> ISceneComponent* { return new FallingdropsScene(); }, nullptr},
    {20.0f, 40.0f, []() -> ISceneComponent* { return new GrowingTreeScene(); }, nullptr},
    {37.0f, 70.0f, []() -> ISceneComponent* { return new RunningOffScene(); }, nullptr},
    {60.0f, 75.0f, []() -> ISceneComponent* { return new CrashFrameScene(); }, &CrashFrameScene::hidesEarlierScenes},
}};

} // namespace

Schedule::SceneInfo::SceneInfo(float startSeconds, float endSeconds, ISceneComponent* ownedScene,
                               HidesEarlier hides)
    : start(startSeconds), end(endSeconds), scene(ownedScene), hidesEarlier(hides)
{
}

void Schedule::build()
{
    for (const Slot& slot : kSlots)
        append(slot.start, slot.end, slot.make(), slot.hidesEarlier);
}

void Schedule::append(float start, float end, ISceneComponent* scene, SceneInfo::HidesEarlier hides)
{
    entries.emplace_back(start, end, scene, hides);
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

    const auto shows = [t](const SceneInfo& entry) { return entry.start <= t && t <= entry.end; };
    // Drawing starts at the last scene that hides the ones before it.
    const SceneInfo* first = nullptr;
    for (const SceneInfo& entry : entries) {
        if (shows(entry) && entry.hidesEarlier && entry.hidesEarlier(t - entry.start))
            first = &entry;
    }

    bool goesOn = false;
    bool drawing = first == nullptr;
    for (SceneInfo& entry : entries) {
        drawing = drawing || &entry == first;
        if (drawing && shows(entry))
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
