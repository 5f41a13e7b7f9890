#include "Effects.h"

namespace composer {

namespace {

constexpr std::size_t kCombFrames[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::size_t kAllpassFrames[4] = {556, 441, 341, 225};
constexpr std::size_t kStereoSpread = 23;
constexpr float kInputGain = 0.015f;
constexpr float kAllpassFeedback = 0.5f;

} // namespace

float Reverb::Comb::tick(float x, float fb, float dampAmount)
{
    const float out = line[pos];
    store = out * (1.0f - dampAmount) + store * dampAmount;
    line[pos] = x + store * fb;
    if (++pos == line.size())
        pos = 0;
    return out;
}

float Reverb::Allpass::tick(float x)
{
    const float delayed = line[pos];
    line[pos] = x + delayed * kAllpassFeedback;
    if (++pos == line.size())
        pos = 0;
    return delayed - x;
}

Reverb::Reverb(double roomSize, double damping, double preDelaySeconds)
    : feedback(static_cast<float>(0.7 + 0.28 * roomSize))
    , damp(static_cast<float>(0.4 * damping))
    , preDelay(secondsToFrames(preDelaySeconds))
{
    for (int side = 0; side < 2; ++side) {
        const std::size_t spread = side == 0 ? 0 : kStereoSpread;
        for (int i = 0; i < 8; ++i)
            combs[side][i].line.assign(kCombFrames[i] + spread, 0.0f);
        for (int i = 0; i < 4; ++i)
            allpasses[side][i].line.assign(kAllpassFrames[i] + spread, 0.0f);
    }
}

Stereo Reverb::process(const Stereo& in)
{
    Stereo out(in.size());
    for (std::size_t n = preDelay; n < in.size(); ++n) {
        const float x = (in.l[n - preDelay] + in.r[n - preDelay]) * kInputGain;
        float* const sides[2] = {&out.l[n], &out.r[n]};
        for (int side = 0; side < 2; ++side) {
            float sum = 0.0f;
            for (Comb& comb : combs[side])
                sum += comb.tick(x, feedback, damp);
            for (Allpass& allpass : allpasses[side])
                sum = allpass.tick(sum);
            *sides[side] = sum;
        }
    }
    return out;
}

Stereo pingPongDelay(const Stereo& in, std::size_t leftFrames, std::size_t rightFrames, double feedback)
{
    Stereo out(in.size());
    Svf toneL, toneR;
    toneL.set(2800.0, 0.6);
    toneR.set(2800.0, 0.6);
    for (std::size_t n = 0; n < in.size(); ++n) {
        // Each side hears the other's echo: the repeats bounce between the speakers.
        const double echoL = n >= leftFrames ? out.r[n - leftFrames] * feedback + in.l[n - leftFrames] : 0.0;
        const double echoR = n >= rightFrames ? out.l[n - rightFrames] * feedback + in.r[n - rightFrames] : 0.0;
        toneL.tick(echoL);
        toneR.tick(echoR);
        out.l[n] = static_cast<float>(toneL.band * 1.2);
        out.r[n] = static_cast<float>(toneR.band * 1.2);
    }
    return out;
}

void blockDc(std::vector<float>& signal)
{
    constexpr double kPole = 0.995;
    double x1 = 0.0, y1 = 0.0;
    for (float& sample : signal) {
        const double y = sample - x1 + kPole * y1;
        x1 = sample;
        y1 = y;
        sample = static_cast<float>(y);
    }
}

} // namespace composer
