#include "FrameRange.h"

#include <cmath>

namespace {

// (to - from) * fps lands a hair below a whole number through rounding (0.6 s
// at 30 fps must be 18 frames, not 17).
constexpr double kWholeFrameSlack = 1e-6;

} // namespace

FrameRange::FrameRange(double from, double to, FrameRate rate) : start(from), end(to), fps(rate)
{
}

std::int64_t FrameRange::frameCount() const
{
    if (!(end > start) || fps.num <= 0 || fps.den <= 0)
        return 0;
    const double frames = (end - start) * static_cast<double>(fps.num) / static_cast<double>(fps.den);
    return static_cast<std::int64_t>(std::floor(frames + kWholeFrameSlack));
}

double FrameRange::secondsOf(std::int64_t n) const
{
    // n * den / num in double first: the float the schedule takes is rounded once, at the end.
    return start + static_cast<double>(n) * static_cast<double>(fps.den) / static_cast<double>(fps.num);
}

float FrameRange::timeOf(std::int64_t n) const
{
    return static_cast<float>(secondsOf(n));
}

std::int64_t FrameRange::firstSample(std::uint32_t sampleRate) const
{
    return std::llround(start * static_cast<double>(sampleRate));
}

std::int64_t FrameRange::sampleCount(std::int64_t frames, std::uint32_t sampleRate) const
{
    // frames * den / num seconds, in whole samples rounded up; the options bound
    // every factor, so the product stays far inside 64 bits.
    const std::int64_t scaled = frames * fps.den * static_cast<std::int64_t>(sampleRate);
    return (scaled + fps.num - 1) / fps.num;
}
