#include "app/Schedule.h"

#include "app/Occlusion.h"
#include "gfx/Gl.h"
#include "gfx/ScissorOutside.h"
#include "gfx/ViewWindow.h"
#include "scenes/crashframe/CrashFrameScene.h"
#include "scenes/fallingdrops/FallingdropsScene.h"
#include "scenes/growingtree/GrowingTreeScene.h"
#include "scenes/runningoff/RunningOffScene.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct Slot
{
    float start;
    float end;
    ISceneComponent* (*make)(const gfx::FastPaths& paths);
    Schedule::SceneInfo::HiddenRegion hiddenRegion;
};

template <class Scene>
ISceneComponent* make(const gfx::FastPaths& paths)
{
    return new Scene(paths);
}

// Schedule order is construction order and, within a frame, draw order.
constexpr std::array<Slot, 4> kSlots = {{
    {0.0f, 35.0f, &make<FallingdropsScene>, nullptr},
    {20.0f, 40.0f, &make<GrowingTreeScene>, &GrowingTreeScene::hiddenRegion},
    {37.0f, 70.0f, &make<RunningOffScene>, nullptr},
    {60.0f, 75.0f, &make<CrashFrameScene>, &CrashFrameScene::hiddenRegion},
}};

} // namespace

Schedule::SceneInfo::SceneInfo(float startSeconds, float endSeconds, ISceneComponent* ownedScene,
                               HiddenRegion hides)
    : start(startSeconds), end(endSeconds), scene(ownedScene), hiddenRegion(hides)
{
}

void Schedule::build(const gfx::FastPaths& paths)
{
    fastPaths = paths;
    for (const Slot& slot : kSlots)
        append(slot.start, slot.end, slot.make(paths), slot.hiddenRegion);
}

void Schedule::append(float start, float end, ISceneComponent* scene, SceneInfo::HiddenRegion hides)
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
    const gfx::ViewWindow view = gfx::visibleWindow(fastPaths);
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        if (!entry->showsAt(t))
            continue;
        gfx::ScissorOutside visible(hiddenByLaterScenes(std::next(entry), entries.cend(), t, view));
        for (int box = 0; box < visible.count(); ++box) {
            visible.select(box);
            entry->scene->draw(t - entry->start);
        }
    }
    return std::any_of(entries.cbegin(), entries.cend(), [t](const SceneInfo& entry) { return entry.end > t; });
}

float Schedule::endTime()
{
    return kSlots.back().end;
}

float demoSeconds(std::int64_t nowNanos, std::int64_t startNanos)
{
    return static_cast<float>(static_cast<double>(nowNanos - startNanos) / 1e9);
}
