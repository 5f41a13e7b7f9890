#pragma once

// Occlusion planning for one frame: what of the view the scenes drawn after a
// scene paint over, so that the scene need not be drawn there. Each scene
// that hides anything says so through its SceneInfo::hiddenRegion; of the
// later scenes that show at the frame's time, the one hiding the largest part
// of the view counts. In an unbounded view (culling off) nothing is hidden.

#include "app/Schedule.h"
#include "gfx/HiddenRect.h"

#include <list>

// The part of `view` (the frame's view window, at the identity model-view)
// that the entries from `later` to `end` hide at demo time t.
gfx::HiddenRect hiddenByLaterScenes(std::list<Schedule::SceneInfo>::const_iterator later,
                                    std::list<Schedule::SceneInfo>::const_iterator end, float t,
                                    const gfx::ViewWindow& view);
