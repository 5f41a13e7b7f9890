#pragma once

// The score's mixing desk: the buses every part writes into, with each
// note's sends to the shared reverb and delay.

#include "Dsp.h"

#include <algorithm>
#include <vector>

namespace composer {

enum Bus
{
    kMelodic,  // dry, not ducked
    kPad,      // ducked by the kick
    kBass,     // ducked, and high-passed with the drums in the build
    kDrums,
    kFx,
    kBusCount
};

struct Sends
{
    double reverb = 0.0;
    double delay = 0.0;
};

class Mixer
{
public:
    explicit Mixer(std::size_t frames) : buses(kBusCount, Stereo(frames)), reverbSend(frames), delaySend(frames) {}

    void add(Bus bus, double seconds, const Mono& note, double gain, double pan, Sends sends = {})
    {
        float left, right;
        panGains(pan, left, right);
        place(bus, seconds, note, note, gain * left, gain * right, sends);
    }

    void add(Bus bus, double seconds, const Stereo& note, double gain, Sends sends = {})
    {
        place(bus, seconds, note.l, note.r, gain, gain, sends);
    }

    std::vector<Stereo> buses;
    Stereo reverbSend;
    Stereo delaySend;

private:
    void place(Bus bus, double seconds, const Mono& l, const Mono& r, double gl, double gr, Sends sends)
    {
        const std::size_t start = secondsToFrames(seconds);
        Stereo& target = buses[bus];
        const std::size_t end = std::min(target.size(), start + l.size());
        const auto fl = static_cast<float>(gl), fr = static_cast<float>(gr);
        const auto rs = static_cast<float>(sends.reverb), ds = static_cast<float>(sends.delay);
        for (std::size_t n = start; n < end; ++n) {
            const float xl = fl * l[n - start], xr = fr * r[n - start];
            target.l[n] += xl;
            target.r[n] += xr;
            reverbSend.l[n] += rs * xl;
            reverbSend.r[n] += rs * xr;
            delaySend.l[n] += ds * xl;
            delaySend.r[n] += ds * xr;
        }
    }
};

} // namespace composer
