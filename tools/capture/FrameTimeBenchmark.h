#pragma once

// The frame-time benchmark: renders every frame of a range through the frame
// path, writes nothing, and reports per stretch of the schedule (the spans
// between scene starts and ends) the median, 99th percentile and maximum of
// the frame time, split into geometry generation and GL drawing (up to
// glFinish), with the overall frames per second.

#include "FrameRange.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class OffscreenRenderer;
class Schedule;

class FrameTimeBenchmark
{
public:
    struct Timing
    {
        double seconds;      // the frame's demo time
        double generateMs;   // line geometry generated on the CPU
        double drawMs;       // everything else up to glFinish
    };

    explicit FrameTimeBenchmark(const FrameRange& range);

    // Renders the range, or as much of it as runs before Ctrl-C.
    void run(OffscreenRenderer& renderer, Schedule& schedule);
    void print(std::FILE* out, const Schedule& schedule, int width, int height) const;

    const std::vector<Timing>& timings() const { return frames; }

private:
    FrameRange range;
    std::vector<Timing> frames;
    double wallSeconds = 0.0;
};
