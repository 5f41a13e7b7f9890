#pragma once

// Which frames a capture renders: frame n shows demo time from + n / fps and
// lasts 1 / fps, for every n whose whole frame fits before `to`: no frame
// lies past the range's end, and a video of them lasts frames / fps. The rate
// is a fraction so that rates such as 60000/1001 give exact frame times.

#include <cstdint>

struct FrameRate
{
    std::int64_t num = 60;
    std::int64_t den = 1;

    double perSecond() const { return static_cast<double>(num) / static_cast<double>(den); }
};

class FrameRange
{
public:
    FrameRange(double from, double to, FrameRate rate);

    double from() const { return start; }
    double to() const { return end; }
    FrameRate rate() const { return fps; }

    std::int64_t frameCount() const;
    // Frame n's demo time, exact in double precision ...
    double secondsOf(std::int64_t n) const;
    // ... and rounded once to the single-precision seconds the schedule takes.
    float timeOf(std::int64_t n) const;

    // The soundtrack sample that plays at `from`, and how many samples span
    // `frames` frames, rounded up so the sound never ends before the picture.
    std::int64_t firstSample(std::uint32_t sampleRate) const;
    std::int64_t sampleCount(std::int64_t frames, std::uint32_t sampleRate) const;

private:
    double start;
    double end;
    FrameRate fps;
};
