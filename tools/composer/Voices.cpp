#include "Voices.h"

#include <algorithm>

namespace composer {

namespace {

constexpr double kNoteAttack = 0.003;   // tonal notes: a few milliseconds, never one sample
constexpr double kNoteRelease = 0.02;

Mono makeBuffer(double seconds)
{
    return Mono(secondsToFrames(seconds) + 1);
}

double timeOf(std::size_t n)
{
    return static_cast<double>(n) / kSampleRate;
}

} // namespace

Mono bell(double hz, double velocity, double decaySeconds)
{
    const double length = std::min(decaySeconds * 6.0, 8.0);
    Mono out = makeBuffer(length);
    // The index falls with the note; high notes get less so their sidebands stay below Nyquist.
    const double maxIndex = std::min(2.0 + 7.0 * velocity, 9000.0 / (1.4 * hz));
    double carrier = 0.0, modulator = 0.0;
    const double dc = 2.0 * kPi * hz / kSampleRate;
    const double dm = 2.0 * kPi * 1.4 * hz / kSampleRate;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double index = maxIndex * std::exp(-t / (0.3 * decaySeconds));
        const double amp = rampIn(t, kNoteAttack) * std::exp(-t / decaySeconds) * gateOut(t, length, 0.05);
        out[n] = static_cast<float>(velocity * amp * std::sin(carrier + index * std::sin(modulator)));
        carrier += dc;
        modulator += dm;
    }
    return out;
}

Mono droplet(double hz, double velocity)
{
    const double length = 0.9;
    Mono out = makeBuffer(length);
    Oscillator body, glass;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double rise = 1.0 - 0.35 * std::exp(-t / 0.018);
        const double gate = rampIn(t, kNoteAttack) * gateOut(t, length, 0.05);
        const double v = body.sine(hz * rise) * std::exp(-t / 0.16)
            + 0.35 * glass.sine(hz * 2.76) * std::exp(-t / 0.05);
        out[n] = static_cast<float>(velocity * gate * v);
    }
    return out;
}

Mono pluck(double hz, double velocity, double decaySeconds, Rng& rng)
{
    const double length = std::min(decaySeconds * 1.2, 6.0);
    Mono out = makeBuffer(length);
    // The averaging loop filter adds half a sample of delay.
    const double period = kSampleRate / hz - 0.5;
    const auto ring = static_cast<std::size_t>(period) + 4;
    std::vector<double> line(ring, 0.0);
    const double loopGain = std::pow(10.0, -3.0 * (period + 0.5) / (decaySeconds * kSampleRate));
    // A softer note starts from a darker burst.
    const double brightness = 0.25 + 0.6 * velocity;
    const auto burst = static_cast<std::size_t>(period);
    double dark = 0.0;
    double previous = 0.0;
    std::size_t write = 0;
    for (std::size_t n = 0; n < out.size(); ++n) {
        double excitation = 0.0;
        if (n < burst) {
            dark += brightness * (rng.noise() - dark);
            excitation = dark;
        }
        const double readPos = static_cast<double>(write + ring) - period;
        const auto i0 = static_cast<std::size_t>(readPos);
        const double frac = readPos - static_cast<double>(i0);
        const double delayed = (1.0 - frac) * line[i0 % ring] + frac * line[(i0 + 1) % ring];
        const double y = excitation + loopGain * 0.5 * (delayed + previous);
        previous = delayed;
        line[write] = y;
        write = (write + 1) % ring;
        const double t = timeOf(n);
        out[n] = static_cast<float>(velocity * y * rampIn(t, kNoteAttack) * gateOut(t, length, 0.08));
    }
    return out;
}

Stereo padNote(double hz, double startSeconds, double holdSeconds, double attack, double release,
               const CutoffCurve& cutoff, Rng& rng)
{
    constexpr int kVoices = 6;
    constexpr double kDetuneCents[kVoices] = {-17.0, -10.0, -3.5, 3.5, 10.0, 17.0};
    constexpr double kPans[kVoices] = {-0.85, 0.55, -0.25, 0.25, -0.55, 0.85};
    const double length = holdSeconds + release;
    Stereo out(secondsToFrames(length) + 1);
    Oscillator osc[kVoices];
    double voiceHz[kVoices];
    float gainL[kVoices], gainR[kVoices];
    for (int v = 0; v < kVoices; ++v) {
        osc[v].phase = rng.uniform();
        voiceHz[v] = hz * std::pow(2.0, kDetuneCents[v] / 1200.0);
        panGains(kPans[v], gainL[v], gainR[v]);
    }
    Svf left, right;
    const double level = 1.0 / std::sqrt(static_cast<double>(kVoices));
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        if (n % kControlInterval == 0) {
            const double fc = cutoff(startSeconds + t);
            left.set(fc, 0.8);
            right.set(fc, 0.8);
        }
        double sumL = 0.0, sumR = 0.0;
        for (int v = 0; v < kVoices; ++v) {
            const double s = osc[v].saw(voiceHz[v]);
            sumL += gainL[v] * s;
            sumR += gainR[v] * s;
        }
        left.tick(sumL);
        right.tick(sumR);
        const double amp = level * rampIn(t, attack) * gateOut(t, length, release);
        out.l[n] = static_cast<float>(amp * left.low);
        out.r[n] = static_cast<float>(amp * right.low);
    }
    return out;
}

Mono sineNote(double hz, double holdSeconds, double attack, double release)
{
    const double length = holdSeconds + release;
    Mono out = makeBuffer(length);
    Oscillator osc;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        out[n] = static_cast<float>(osc.sine(hz) * rampIn(t, attack) * gateOut(t, length, release));
    }
    return out;
}

Mono bassNote(double hz, double holdSeconds, double velocity)
{
    const double length = holdSeconds + 0.03;
    Mono out = makeBuffer(length);
    Oscillator saw, sub;
    Svf filter;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        if (n % kControlInterval == 0)
            filter.set(180.0 + 1400.0 * velocity * std::exp(-t / 0.09), 1.3);
        filter.tick(saw.saw(hz));
        const double v = 0.7 * filter.low + 0.6 * sub.sine(hz * 0.5);
        const double amp = rampIn(t, kNoteAttack) * gateOut(t, length, 0.03);
        out[n] = static_cast<float>(velocity * amp * std::tanh(1.4 * v));
    }
    return out;
}

Mono arpNote(double hz, double velocity, double cutoffHz)
{
    const double length = 0.35;
    Mono out = makeBuffer(length);
    Oscillator pulse, saw;
    Svf filter;
    filter.set(cutoffHz, 1.6);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        filter.tick(0.6 * pulse.pulse(hz, 0.3) + 0.4 * saw.saw(hz * 1.003));
        const double amp = rampIn(t, 0.002) * std::exp(-t / 0.09) * gateOut(t, length, kNoteRelease);
        out[n] = static_cast<float>(velocity * amp * filter.low);
    }
    return out;
}

Mono leadNote(double hz, double holdSeconds, double velocity)
{
    const double release = 0.12;
    const double length = holdSeconds + release;
    Mono out = makeBuffer(length);
    Oscillator a, b, vibrato;
    Svf filter;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        if (n % kControlInterval == 0)
            filter.set(900.0 + 2200.0 * velocity * std::exp(-t / 0.4), 0.9);
        const double depth = 0.004 * rampIn(t - 0.25, 0.3);
        const double bend = 1.0 + depth * vibrato.sine(5.2);
        filter.tick(0.5 * (a.saw(hz * bend * 0.997) + b.saw(hz * bend * 1.003)));
        const double amp = rampIn(t, 0.012) * gateOut(t, length, release);
        out[n] = static_cast<float>(velocity * amp * filter.low);
    }
    return out;
}

Mono kick(double velocity)
{
    const double length = 0.45;
    Mono out = makeBuffer(length);
    double phase = 0.0;  // starts at zero: the sine itself rises from silence
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double hz = 47.0 + 190.0 * std::exp(-t / 0.03);
        const double body = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.28);
        const double click = std::sin(2.0 * kPi * 1800.0 * t) * std::exp(-t / 0.0015) * 0.25;
        phase += hz / kSampleRate;
        out[n] = static_cast<float>(velocity * std::tanh(1.6 * (body + click)) / std::tanh(1.6) * gateOut(t, length, 0.03));
    }
    return out;
}

Mono snare(double velocity, Rng& rng)
{
    const double length = 0.4;
    Mono out = makeBuffer(length);
    double p1 = 0.0, p2 = 0.0;
    Svf band, high;
    band.set(3200.0 + 1500.0 * velocity, 0.8);
    high.set(1200.0, 0.7);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double bend = 1.0 + 0.6 * std::exp(-t / 0.02);
        p1 += 185.0 * bend / kSampleRate;
        p2 += 330.0 * bend / kSampleRate;
        const auto triangle = [](double p) { return 4.0 * std::fabs(p - std::floor(p) - 0.5) - 1.0; };
        const double tone = (0.6 * triangle(p1) + 0.4 * triangle(p2)) * std::exp(-t / 0.06);
        band.tick(rng.noise());
        high.tick(band.band);
        const double noise = 1.6 * high.high * std::exp(-t / (0.1 + 0.06 * velocity));
        const double amp = rampIn(t, 0.001) * gateOut(t, length, 0.03);
        out[n] = static_cast<float>(velocity * amp * (0.55 * tone + noise));
    }
    return out;
}

Mono hat(double velocity, bool open, Rng& rng)
{
    // Six inharmonic square waves, as the classic drum machine does, band-passed high.
    constexpr double kHz[6] = {800.0, 540.0, 522.7, 369.6, 304.4, 205.3};
    const double length = open ? 0.5 : 0.12;
    const double decay = open ? 0.16 : 0.035;
    Mono out = makeBuffer(length);
    Oscillator osc[6];
    for (Oscillator& o : osc)
        o.phase = rng.uniform();
    Svf band, high;
    band.set(10000.0, 1.2);
    high.set(7500.0, 0.7);
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        double metal = 0.0;
        for (int i = 0; i < 6; ++i)
            metal += osc[i].pulse(kHz[i], 0.5);
        band.tick(metal / 6.0 + 0.15 * rng.noise());
        high.tick(band.band);
        const double amp = rampIn(t, 0.0008) * std::exp(-t / decay) * gateOut(t, length, 0.02);
        out[n] = static_cast<float>(velocity * amp * 2.5 * high.high);
    }
    return out;
}

Stereo riser(double seconds, Rng& rng)
{
    Stereo out(secondsToFrames(seconds));
    Svf left, right;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double x = t / seconds;  // 0 to 1 along the rise
        if (n % kControlInterval == 0) {
            const double fc = 250.0 * std::pow(40.0, x * x);
            left.set(fc, 2.5);
            right.set(fc, 2.5);
        }
        left.tick(rng.noise());
        right.tick(rng.noise());
        const double amp = x * x * x * rampIn(t, 0.05) * gateOut(t, seconds, 0.004);
        out.l[n] = static_cast<float>(amp * left.low);
        out.r[n] = static_cast<float>(amp * right.low);
    }
    return out;
}

Stereo impact(Rng& rng)
{
    const double length = 3.0;
    Stereo out(secondsToFrames(length));
    double phase = 0.0;
    Svf left, right;
    for (std::size_t n = 0; n < out.size(); ++n) {
        const double t = timeOf(n);
        const double hz = 36.0 + 74.0 * std::exp(-t / 0.09);
        const double boom = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.9);
        phase += hz / kSampleRate;
        if (n % kControlInterval == 0) {
            const double fc = 250.0 + 1800.0 * std::exp(-t / 0.12);
            left.set(fc, 0.9);
            right.set(fc, 0.9);
        }
        left.tick(rng.noise());
        right.tick(rng.noise());
        const double noiseEnv = std::exp(-t / 0.45);
        const double transient = std::sin(2.0 * kPi * 900.0 * t) * std::exp(-t / 0.004);
        const double gate = rampIn(t, 0.0015) * gateOut(t, length, 0.3);
        const double common = std::tanh(1.3 * boom) + 0.3 * transient;
        out.l[n] = static_cast<float>(gate * (common + 0.9 * noiseEnv * left.band));
        out.r[n] = static_cast<float>(gate * (common + 0.9 * noiseEnv * right.band));
    }
    return out;
}

} // namespace composer
