#pragma once

// Times frames through the frame path for the frame-time benchmark: how long
// one frame takes up to glFinish, and how much of that went into generating
// line geometry on the CPU (gfx/GenerationTimer.h) rather than into GL
// drawing. The generation stopwatch runs while a FrameTimer lives.

class OffscreenRenderer;
class Schedule;

class FrameTimer
{
public:
    struct Split
    {
        double generateMs;  // line geometry generated on the CPU
        double drawMs;      // everything else up to glFinish
    };

    FrameTimer();
    ~FrameTimer();
    FrameTimer(const FrameTimer&) = delete;
    FrameTimer& operator=(const FrameTimer&) = delete;

    // Draws the schedule's frame for demo time t and waits for the GL to finish it.
    Split time(OffscreenRenderer& renderer, Schedule& schedule, float t);
};
