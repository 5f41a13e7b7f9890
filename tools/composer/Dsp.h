#pragma once

// The composer's building blocks: timing, its own random generator, band-limited
// oscillators, a stable filter, envelopes and the stereo buffer everything is
// mixed into. Signal runs in float; phases and coefficients in double.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace composer {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
// 120 beats per minute: one beat is exactly 22,050 samples.
constexpr double kBeatsPerSecond = 2.0;
constexpr std::size_t kSamplesPerBeat = 22050;

inline std::size_t secondsToFrames(double seconds)
{
    return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

inline double beatsToSeconds(double beats)
{
    return beats / kBeatsPerSecond;
}

inline double midiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

inline double dbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

// splitmix64: small, fast and the same on every platform, unlike rand().
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    float noise() { return static_cast<float>(2.0 * uniform() - 1.0); }
    int below(int n) { return static_cast<int>(uniform() * n); }

private:
    std::uint64_t state;
};

// Seeds per instrument and bar, so editing one bar leaves the others as they were.
inline Rng rngFor(std::uint32_t instrument, std::uint32_t bar)
{
    return Rng((static_cast<std::uint64_t>(instrument) << 32) ^ (bar * 0x2545F4914F6CDD1Dull) ^ 0x5EEDull);
}

// PolyBLEP: the two-sample polynomial that rounds off a unit jump at phase 0.
inline double polyBlep(double phase, double dt)
{
    if (phase < dt) {
        const double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        const double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

// A band-limited sawtooth and pulse sharing one phase accumulator.
struct Oscillator
{
    double phase = 0.0;

    double saw(double hz)
    {
        const double dt = hz / kSampleRate;
        const double out = 2.0 * phase - 1.0 - polyBlep(phase, dt);
        advance(dt);
        return out;
    }
    double pulse(double hz, double width)
    {
        const double dt = hz / kSampleRate;
        double shifted = phase + (1.0 - width);
        shifted -= std::floor(shifted);
        const double out = (phase < width ? 1.0 : -1.0) + polyBlep(phase, dt) - polyBlep(shifted, dt);
        advance(dt);
        return out;
    }
    double sine(double hz)
    {
        const double out = std::sin(2.0 * kPi * phase);
        advance(hz / kSampleRate);
        return out;
    }
    void advance(double dt)
    {
        phase += dt;
        phase -= std::floor(phase);
    }
};

// Trapezoidal state-variable filter: stays stable under fast cutoff changes.
struct Svf
{
    double ic1 = 0.0, ic2 = 0.0;
    double a1 = 1.0, a2 = 0.0, a3 = 0.0, k = 1.4;
    double low = 0.0, band = 0.0, high = 0.0;

    void set(double cutoffHz, double q)
    {
        const double fc = std::fmin(std::fmax(cutoffHz, 10.0), 0.45 * kSampleRate);
        const double g = std::tan(kPi * fc / kSampleRate);
        k = 1.0 / q;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void tick(double v0)
    {
        const double v3 = v0 - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

// Cutoffs and other slow controls are updated every this many samples.
constexpr std::size_t kControlInterval = 16;

// Raised-cosine ramp from 0 to 1 over `seconds`: no corner, no click.
inline double rampIn(double t, double seconds)
{
    if (t >= seconds)
        return 1.0;
    if (t <= 0.0)
        return 0.0;
    return 0.5 - 0.5 * std::cos(kPi * t / seconds);
}

// Gate of a note `length` seconds long that fades out over its last `release` seconds.
inline double gateOut(double t, double length, double release)
{
    return rampIn(length - t, release);
}

using Mono = std::vector<float>;

struct Stereo
{
    std::vector<float> l, r;

    explicit Stereo(std::size_t frames = 0) : l(frames), r(frames) {}
    std::size_t size() const { return l.size(); }
};

// Equal-power pan, -1 left to 1 right.
inline void panGains(double pan, float& left, float& right)
{
    const double angle = (pan + 1.0) * 0.25 * kPi;
    left = static_cast<float>(std::cos(angle));
    right = static_cast<float>(std::sin(angle));
}

} // namespace composer
