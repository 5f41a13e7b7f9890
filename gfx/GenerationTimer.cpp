#include "gfx/GenerationTimer.h"

#include <chrono>

namespace gfx {

namespace {

bool timing = false;
std::int64_t measuredNanos = 0;

std::int64_t nowNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

GenerationTimer::GenerationTimer()
{
    if (timing)
        startNanos = nowNanos();
}

GenerationTimer::~GenerationTimer()
{
    if (startNanos >= 0 && timing)
        measuredNanos += nowNanos() - startNanos;
}

void GenerationTimer::setEnabled(bool on)
{
    timing = on;
    measuredNanos = 0;
}

std::int64_t GenerationTimer::takeNanos()
{
    const std::int64_t measured = measuredNanos;
    measuredNanos = 0;
    return measured;
}

} // namespace gfx
