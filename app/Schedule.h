#pragma once

// The scene schedule and the one frame path: the window, the capture tool and
// the GL tests all draw a frame for a demo time t through drawFrame(t), and none
// of this knows where t came from.

#include "gfx/ISceneComponent.h"
#include "gfx/ViewWindow.h"

#include <cstdint>
#include <list>
#include <memory>

class Schedule
{
public:
    struct SceneInfo
    {
        // The part of the view the scene at its local time paints over,
        // whatever was drawn before it in the frame (gfx/ViewWindow.h).
        using HiddenRegion = gfx::HiddenRect (*)(float localTime);

        SceneInfo(float start, float end, ISceneComponent* scene, HiddenRegion hides = nullptr);

        float start;  // first demo second at which the scene draws
        float end;    // last demo second at which the scene draws
        std::unique_ptr<ISceneComponent> scene;
        HiddenRegion hiddenRegion;  // null for a scene that never hides others
    };

    // Constructs the four scenes in schedule order. Needs a current GL context;
    // the order matters, because constructors continue one random sequence.
    void build();
    void append(float start, float end, ISceneComponent* scene, SceneInfo::HiddenRegion hides = nullptr);
    void clear();
    bool empty() const { return entries.empty(); }
    const std::list<SceneInfo>& scenes() const { return entries; }

    // Loads the identity model-view matrix, clears to white and draws every
    // scene whose interval holds t (bounds inclusive) with its local time.
    // What a later scene in the same frame paints over is left out (unless
    // culling is switched off): a scene wholly, or a rectangle of the view,
    // drawing the scene once for each part of the view around it. The pixels
    // are the same.
    // Returns whether some scene ends after t, that is, whether the demo goes on.
    bool drawFrame(float t);

    // The last demo second of the schedule.
    static float endTime();

private:
    std::list<SceneInfo> entries;
};

// Demo time in seconds from two steady-clock readings in nanoseconds: the
// difference in double precision, rounded to single-precision seconds.
float demoSeconds(std::int64_t nowNanos, std::int64_t startNanos);
