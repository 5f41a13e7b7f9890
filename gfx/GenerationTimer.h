#pragma once

// A cheap process-wide stopwatch for geometry generation. Components that
// regenerate their line geometry every frame put one GenerationTimer around the
// generating call; the frame-time benchmark switches the stopwatch on and reads
// how much of each frame went into generation rather than into GL drawing.
// Switched off (the default) a timer costs one test of a flag. GUI thread only.

#include <cstdint>

namespace gfx {

class GenerationTimer
{
public:
    GenerationTimer();
    ~GenerationTimer();
    GenerationTimer(const GenerationTimer&) = delete;
    GenerationTimer& operator=(const GenerationTimer&) = delete;

    static void setEnabled(bool on);
    // Nanoseconds measured since the last call, which starts the count anew.
    static std::int64_t takeNanos();

private:
    std::int64_t startNanos = -1;  // -1: the stopwatch was off when this timer began
};

} // namespace gfx
