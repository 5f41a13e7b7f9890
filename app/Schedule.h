#pragma once

// The scene schedule and the one frame path: the window, the capture tool and
// the GL tests all draw a frame for a demo time t through drawFrame(t), and none
// of this knows where t came from.

#include "gfx/FastPaths.h"
#include "gfx/HiddenRect.h"
#include "gfx/ISceneComponent.h"

#include <cstdint>
#include <list>
#include <memory>

class Schedule
{
public:
    struct SceneInfo
    {
        // The part of `view` (the frame's view window) that the scene at its
        // local time paints over, whatever was drawn before it in the frame
        // (gfx/HiddenRect.h).
        using HiddenRegion = gfx::HiddenRect (*)(float localTime, const gfx::ViewWindow& view);

        SceneInfo(float start, float end, ISceneComponent* scene, HiddenRegion hides = nullptr);

        // Whether the scene draws at demo time t: bounds inclusive.
        bool showsAt(float t) const { return start <= t && t <= end; }

        float start;  // first demo second at which the scene draws
        float end;    // last demo second at which the scene draws
        std::unique_ptr<ISceneComponent> scene;
        HiddenRegion hiddenRegion;  // null for a scene that never hides others
    };

    // Constructs the four scenes in schedule order, handing each the fast
    // paths to take (the program takes all of them). Needs a current GL
    // context; the order matters, because constructors continue one random
    // sequence.
    void build(const gfx::FastPaths& paths = gfx::FastPaths::all());
    void append(float start, float end, ISceneComponent* scene, SceneInfo::HiddenRegion hides = nullptr);
    void clear();
    bool empty() const { return entries.empty(); }
    const std::list<SceneInfo>& scenes() const { return entries; }

    // Loads the identity model-view matrix, clears to white and draws every
    // scene that shows at t with its local time, once for each part of the
    // view that the scenes after it leave visible (app/Occlusion.h): the
    // same pixels as drawing it whole.
    // Returns whether some scene ends after t, that is, whether the demo goes on.
    bool drawFrame(float t);

    // The last demo second of the schedule.
    static float endTime();

private:
    gfx::FastPaths fastPaths = gfx::FastPaths::all();
    std::list<SceneInfo> entries;
};

// Demo time in seconds from two steady-clock readings in nanoseconds: the
// difference in double precision, rounded to single-precision seconds.
float demoSeconds(std::int64_t nowNanos, std::int64_t startNanos);
