#include "app/Schedule.h"

#include "gfx/Gl.h"
#include "gfx/ViewWindow.h"
#include "scenes/crashframe/CrashFrameScene.h"
#include "scenes/fallingdrops/FallingdropsScene.h"
#include "scenes/growingtree/GrowingTreeScene.h"
#include "scenes/runningoff/RunningOffScene.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

struct Slot
{
    float start;
    float end;
    ISceneComponent* (*make)();
    Schedule::SceneInfo::HiddenBelow hiddenBelow;
};

// Schedule order is construction order and, within a frame, draw order.
const std::array<Slot, 4> kSlots = {{
    {0.0f, 35.0f, []() -> ISceneComponent* { return new FallingdropsScene(); }, nullptr},
    {20.0f, 40.0f, []() -> ISceneComponent* { return new GrowingTreeScene(); }, &GrowingTreeScene::hiddenBelow},
    {37.0f, 70.0f, []() -> ISceneComponent* { return new RunningOffScene(); }, nullptr},
    {60.0f, 75.0f, []() -> ISceneComponent* { return new CrashFrameScene(); }, &CrashFrameScene::hiddenBelow},
}};

constexpr std::size_t kMostScenes = 8;

} // namespace

Schedule::SceneInfo::SceneInfo(float startSeconds, float endSeconds, ISceneComponent* ownedScene,
                               HiddenBelow hides)
    : start(startSeconds), end(endSeconds), scene(ownedScene), hiddenBelow(hides)
{
}

void Schedule::build()
{
    for (const Slot& slot : kSlots)
        append(slot.start, slot.end, slot.make(), slot.hiddenBelow);
}

void Schedule::append(float start, float end, ISceneComponent* scene, SceneInfo::HiddenBelow hides)
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
    // For each scene, how much of the view the scenes after it hide: the
    // highest of their levels. (A longer schedule than this holds is drawn
    // whole.)
    std::array<float, kMostScenes> hidden{};
    hidden.fill(gfx::kNothingHidden);
    if (entries.size() <= kMostScenes) {
        float level = gfx::kNothingHidden;
        std::size_t i = entries.size();
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            hidden[--i] = level;
            if (shows(*entry) && entry->hiddenBelow)
                level = std::max(level, entry->hiddenBelow(t - entry->start));
        }
    }

    bool goesOn = false;
    std::size_t i = 0;
    for (SceneInfo& entry : entries) {
        if (shows(entry)) {
            const gfx::ScissorAbove visible(hidden[i]);
            if (!visible.hidesAll())
                entry.scene->draw(t - entry.start);
        }
        if (entry.end > t)
            goesOn = true;
        ++i;
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
