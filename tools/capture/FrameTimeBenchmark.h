#pragma once

// The frame-time benchmark: renders every frame of a range through the frame
// path, writes nothing, and reports per stretch of the schedule (the spans
// between scene starts and ends) the median, 99th percentile and maximum of
// the frame time, split into geometry generation and GL drawing (up to
// glFinish), with the overall frames per second.

#include "FrameRange.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ISceneComponent;
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

    struct Spread
    {
        double median;
        double p99;
        double max;
    };

    explicit FrameTimeBenchmark(const FrameRange& range);

    // Nearest-rank percentiles of an unsorted list.
    static Spread spreadOf(std::vector<double> values);
    // The scene's class name without "Scene": FallingdropsScene -> Fallingdrops.
    static std::string sceneName(const ISceneComponent& scene);

    // Renders the range, or as much of it as runs before Ctrl-C.
    void run(OffscreenRenderer& renderer, Schedule& schedule);
    void print(std::FILE* out, const Schedule& schedule, int width, int height) const;

    const std::vector<Timing>& timings() const { return frames; }
    const FrameRange& frameRange() const { return range; }
    // The range cut at every scene start and end inside it: the stretches' bounds.
    std::vector<double> stretchBounds(const Schedule& schedule) const;

private:
    FrameRange range;
    std::vector<Timing> frames;
    double wallSeconds = 0.0;
};
