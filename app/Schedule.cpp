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
    Schedule::SceneInfo::HiddenRegion hiddenRegion;
};

// Schedule order is construction order and, within a frame, draw order.
const std::array<Slot, 4> kSlots = {{
    {0.0f, 35.0f, []() -> ISceneComponent* { return new FallingdropsScene(); }, nullptr},
    {20.0f, 40.0f, []() -> ISceneComponent* { return new GrowingTreeScene(); }, &GrowingTreeScene::hiddenRegion},
    {37.0f, 70.0f, []() -> ISceneComponent* { return new RunningOffScene(); }, nullptr},
    {60.0f, 75.0f, []() -> ISceneComponent* { return new CrashFrameScene(); }, &CrashFrameScene::hiddenRegion},
}};

constexpr std::size_t kMostScenes = 8;

// Area of a hidden rectangle within the square every view lies in.
float hiddenArea(const gfx::HiddenRect& r)
{
    if (r.isEmpty())
        return 0.0f;
    const float w = std::min(r.right, 1.0f) - std::max(r.left, -1.0f);
    const float h = std::min(r.top, 1.0f) - std::max(r.bottom, -1.0f);
    return w > 0.0f && h > 0.0f ? w * h : 0.0f;
}

} // namespace

Schedule::SceneInfo::SceneInfo(float startSeconds, float endSeconds, ISceneComponent* ownedScene,
                               HiddenRegion hides)
    : start(startSeconds), end(endSeconds), scene(ownedScene), hiddenRegion(hides)
{
}

void Schedule::build()
{
    for (const Slot& slot : kSlots)
        append(slot.start, slot.end, slot.make(), slot.hiddenRegion);
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

    const auto shows = [t](const SceneInfo& entry) { return entry.start <= t && t <= entry.end; };
    // For each scene, the largest part of the view a scene after it hides.
    // (A longer schedule than this holds is drawn whole.)
    std::array<gfx::HiddenRect, kMostScenes> hidden{};
    hidden.fill(gfx::kNothingHiddenRect);
    if (entries.size() <= kMostScenes) {
        gfx::HiddenRect largest = gfx::kNothingHiddenRect;
        std::size_t i = entries.size();
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            hidden[--i] = largest;
            if (shows(*entry) && entry->hiddenRegion) {
                const gfx::HiddenRect region = entry->hiddenRegion(t - entry->start);
                if (hiddenArea(region) > hiddenArea(largest))
                    largest = region;
            }
        }
    }

    bool goesOn = false;
    std::size_t i = 0;
    for (SceneInfo& entry : entries) {
        if (shows(entry)) {
            gfx::ScissorOutside visible(hidden[i]);
            for (int part = 0; part < visible.count(); ++part) {
                visible.select(part);
                entry.scene->draw(t - entry.start);
            }
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
