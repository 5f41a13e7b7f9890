#include "app/FrameTimer.h"

#include "app/OffscreenRenderer.h"
#include "gfx/GenerationTimer.h"
#include "gfx/Gl.h"

#include <chrono>

FrameTimer::FrameTimer()
{
    gfx::GenerationTimer::setEnabled(true);
}

FrameTimer::~FrameTimer()
{
    gfx::GenerationTimer::setEnabled(false);
}

FrameTimer::Split FrameTimer::time(OffscreenRenderer& renderer, Schedule& schedule, float t)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    gfx::GenerationTimer::takeNanos();
    renderer.drawFrame(schedule, t);
    glFinish();
    const double frameMs = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    const double generateMs = static_cast<double>(gfx::GenerationTimer::takeNanos()) / 1e6;
    return {generateMs, frameMs - generateMs};
}
