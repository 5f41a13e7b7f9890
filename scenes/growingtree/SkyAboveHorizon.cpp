#include "scenes/growingtree/SkyAboveHorizon.h"

#include "gfx/HiddenRect.h"
#include "gfx/ScissorOutside.h"
#include "gfx/ViewWindow.h"
#include "scenes/growingtree/Ground.h"

SkyAboveHorizon::SkyAboveHorizon(const gfx::FastPaths& fastPaths)
    : paths(fastPaths), sky(fastPaths)
{
}

SkyAboveHorizon::~SkyAboveHorizon() = default;

void SkyAboveHorizon::draw(float t)
{
    constexpr Ground::Extent ground = Ground::extent();
    const bool hides = gfx::rectangleHidesViewBelowTop(gfx::visibleWindow(paths), ground.left, ground.right,
                                                       ground.bottom, ground.top);
    gfx::ScissorOutside visible(hides ? gfx::hiddenBelow(ground.top) : gfx::kEmptyHiddenRect);
    for (int box = 0; box < visible.count(); ++box) {
        visible.select(box);
        sky.draw(t);
    }
}
