#include "Mastering.h"

#include <algorithm>
#include <deque>
#include <limits>

namespace composer {

namespace {

struct Biquad
{
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;

    double tick(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages, derived for our rate from their analogue
// prototypes: a high shelf of about +4 dB above 1.7 kHz, then a 38 Hz high-pass.
Biquad shelfStage()
{
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / kSampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPassStage()
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / kSampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double loudnessOf(double meanSquare)
{
    return -0.691 + 10.0 * std::log10(meanSquare);
}

} // namespace

double integratedLoudness(const Stereo& signal)
{
    // Mean square of the K-weighted signal per 100 ms step, both channels summed.
    const std::size_t step = kSampleRate / 10;
    std::vector<double> steps(signal.size() / step, 0.0);
    const std::vector<float>* channels[2] = {&signal.l, &signal.r};
    for (const std::vector<float>* channel : channels) {
        Biquad shelf = shelfStage(), highPass = highPassStage();
        for (std::size_t n = 0; n < steps.size() * step; ++n) {
            const double y = highPass.tick(shelf.tick((*channel)[n]));
            steps[n / step] += y * y;
        }
    }
    // Blocks of 400 ms overlapping by 75%.
    std::vector<double> blocks;
    for (std::size_t i = 0; i + 4 <= steps.size(); ++i)
        blocks.push_back((steps[i] + steps[i + 1] + steps[i + 2] + steps[i + 3]) / (4.0 * step));

    const auto gatedMean = [&](double threshold) {
        double sum = 0.0;
        std::size_t count = 0;
        for (double z : blocks) {
            if (z > 0.0 && loudnessOf(z) > threshold) {
                sum += z;
                ++count;
            }
        }
        return count ? sum / static_cast<double>(count) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    if (absolute <= 0.0)
        return -std::numeric_limits<double>::infinity();
    return loudnessOf(gatedMean(loudnessOf(absolute) - 10.0));
}

double samplePeak(const Stereo& signal)
{
    float peak = 0.0f;
    for (std::size_t n = 0; n < signal.size(); ++n)
        peak = std::max({peak, std::fabs(signal.l[n]), std::fabs(signal.r[n])});
    return peak;
}

Stereo limit(const Stereo& in, double gain, double ceiling, double releaseSeconds)
{
    const std::size_t frames = in.size();
    const std::size_t lookAhead = secondsToFrames(0.004);
    std::vector<double> required(frames);
    for (std::size_t n = 0; n < frames; ++n) {
        const double peak = gain * std::max(std::fabs(in.l[n]), std::fabs(in.r[n]));
        required[n] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // Minimum over +-lookAhead, then a moving average over the same window: the
    // average around a peak only takes values that already honour that peak, so
    // the gain has reached it by the time the peak plays, along a smooth ramp.
    std::vector<double> lowest(frames);
    std::deque<std::size_t> window;
    for (std::size_t n = 0; n < frames + lookAhead; ++n) {
        if (n < frames) {
            while (!window.empty() && required[window.back()] >= required[n])
                window.pop_back();
            window.push_back(n);
        }
        if (n >= lookAhead) {
            const std::size_t centre = n - lookAhead;
            while (window.front() + 2 * lookAhead < n)
                window.pop_front();
            lowest[centre] = required[window.front()];
        }
    }
    // Frames outside the piece count as unity gain.
    const auto lowestAt = [&](std::ptrdiff_t i) {
        return i >= 0 && static_cast<std::size_t>(i) < frames ? lowest[static_cast<std::size_t>(i)] : 1.0;
    };
    const auto reach = static_cast<std::ptrdiff_t>(lookAhead);
    const double span = static_cast<double>(2 * reach + 1);
    double sum = span;  // the window [-2L-1, -1], all outside
    std::vector<double> smooth(frames);
    for (std::ptrdiff_t n = 0; n < static_cast<std::ptrdiff_t>(frames) + reach; ++n) {
        sum += lowestAt(n) - lowestAt(n - 2 * reach - 1);
        if (n >= reach)
            smooth[static_cast<std::size_t>(n - reach)] = sum / span;
    }
    Stereo out(frames);
    const double recover = 1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate));
    double g = 1.0;
    for (std::size_t n = 0; n < frames; ++n) {
        g = std::min(smooth[n], g + (1.0 - g) * recover);
        out.l[n] = static_cast<float>(in.l[n] * gain * g);
        out.r[n] = static_cast<float>(in.r[n] * gain * g);
    }
    return out;
}

Stereo master(const Stereo& mix, double targetLufs, double ceiling)
{
    double gain = dbToGain(targetLufs - integratedLoudness(mix));
    Stereo out = limit(mix, gain, ceiling, 0.12);
    // Limiting takes some loudness away; a few rounds of correction converge.
    for (int round = 0; round < 4; ++round) {
        const double miss = targetLufs - integratedLoudness(out);
        if (std::fabs(miss) < 0.02)
            break;
        gain *= dbToGain(miss);
        out = limit(mix, gain, ceiling, 0.12);
    }
    return out;
}

std::vector<std::int16_t> ditherTo16Bits(const Stereo& signal, Rng& rng)
{
    std::vector<std::int16_t> out(signal.size() * 2);
    const std::vector<float>* channels[2] = {&signal.l, &signal.r};
    for (std::size_t n = 0; n < signal.size(); ++n) {
        for (int c = 0; c < 2; ++c) {
            const float x = (*channels[c])[n];
            if (x == 0.0f)
                continue;  // digital silence stays silence, without dither hiss
            const double tpdf = rng.uniform() - rng.uniform();
            const double scaled = std::round(x * 32767.0 + tpdf);
            out[2 * n + static_cast<std::size_t>(c)] = static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
        }
    }
    return out;
}

} // namespace composer
