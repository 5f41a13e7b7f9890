#include "app/Occlusion.h"

#include <algorithm>

namespace {

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

gfx::HiddenRect hiddenByLaterScenes(std::list<Schedule::SceneInfo>::const_iterator later,
                                    std::list<Schedule::SceneInfo>::const_iterator end, float t,
                                    const gfx::ViewWindow& view)
{
    gfx::HiddenRect largest = gfx::kEmptyHiddenRect;
    if (!view.isBounded())
        return largest;
    float largestArea = 0.0f;
    for (; later != end; ++later) {
        if (!later->showsAt(t) || !later->hiddenRegion)
            continue;
        const gfx::HiddenRect region = later->hiddenRegion(t - later->start, view);
        // Of two that hide as much, the later scene's.
        const float area = hiddenArea(region);
        if (area > 0.0f && area >= largestArea) {
            largest = region;
            largestArea = area;
        }
    }
    return largest;
}
