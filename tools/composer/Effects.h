#pragma once

// Shared effects: the reverb every tonal voice sends to, a tempo-synced
// ping-pong delay, and a DC blocker for the master.

#include "Dsp.h"

namespace composer {

// Freeverb's topology: eight damped combs into four series allpasses per side,
// the right side's delays longer by a few samples for width, after a pre-delay.
class Reverb
{
public:
    Reverb(double roomSize, double damping, double preDelaySeconds);
    // Renders the wet signal of `in` (both sides of the send summed to mono, as Freeverb does).
    Stereo process(const Stereo& in);

private:
    struct Comb
    {
        std::vector<float> line;
        std::size_t pos = 0;
        float store = 0.0f;
        float tick(float x, float feedback, float damp);
    };
    struct Allpass
    {
        std::vector<float> line;
        std::size_t pos = 0;
        float tick(float x);
    };

    float feedback;
    float damp;
    std::size_t preDelay;
    Comb combs[2][8];
    Allpass allpasses[2][4];
};

// Left and right echoes at different tempo-synced times, fed back through a
// band-pass so repeats grow darker and thinner.
Stereo pingPongDelay(const Stereo& in, std::size_t leftFrames, std::size_t rightFrames, double feedback);

// y = x - x1 + R y1: removes DC with a pole just inside the unit circle.
void blockDc(std::vector<float>& signal);

} // namespace composer
