#include "scenes/fallingdrops/DropMotion.h"

#include "gfx/Random.h"

#include <cmath>

namespace dropmotion {

namespace {

constexpr float kScatter = 0.5f;          // standard deviation of the positions
constexpr float kPhaseSpan = 2.5f;
constexpr float kEarliestPhase = -0.9f;

constexpr float kRingGrowth = 0.1f;       // radius per second; also 1 / the phase-to-time factor
constexpr float kGrowSeconds = 0.3f;
constexpr float kBlinkPeriod = 0.1f;
constexpr float kBlinkWhite = 0.05f;      // white for the first half of every period
constexpr float kFullRadius = 0.05f;
constexpr float kShrinkRate = 0.1f;       // the shrink is complete after 10 s
constexpr float kShrinkAmount = -0.3f;
constexpr float kShrunkRadius = 0.035f;
constexpr float kTintRate = 0.2f;         // the tint is complete after 5 s
constexpr float kOliveGrey = 0.6f;
constexpr float kOliveBlue = 0.1f;
constexpr float kDrift = -1.2f;           // rate of the approach to the centre line
constexpr float kFallSpeed = -0.623f;

constexpr float kZoomInSeconds = 15.0f;
constexpr double kScrollSpeed = 0.2;
constexpr float kSettleSpan = 1.2f;
constexpr float kSettledZoom = 0.8f;

} // namespace

Drop makeDrop(float r1, float r2, float u1, float u2, float u3)
{
    return {kScatter * r1, kScatter * r2, (1.0f - (u1 * u2) * u3) * kPhaseSpan + kEarliestPhase};
}

std::vector<Drop> scatterDrops()
{
    gfx::srand(kDropSeed);
    std::vector<Drop> drops;
    drops.reserve(kDropCount);
    for (int i = 0; i < kDropCount; ++i) {
        // Separate statements: the draw order is fixed, argument evaluation order is not.
        const float r1 = rndn();
        const float r2 = rndn();
        const float u1 = rnd();
        const float u2 = rnd();
        const float u3 = rnd();
        drops.push_back(makeDrop(r1, r2, u1, u2, u3));
    }
    return drops;
}

float emergenceTime(float phase)
{
    return phase / kRingGrowth;
}

float ringRadius(float phase, float t)
{
    return t * kRingGrowth - phase;
}

bool dropPoseAt(const Drop& drop, float t, DropPose& pose)
{
    const float birth = emergenceTime(drop.phase);
    if (birth > t)
        return false;
    const float age = t - birth;
    if (age < kGrowSeconds) {
        const float shade = std::fmod(age, kBlinkPeriod) < kBlinkWhite ? 1.0f : 0.0f;
        pose = {drop.x, drop.y, (age / kGrowSeconds) * kFullRadius, shade, shade, shade, 1.0f};
        return true;
    }
    const float a = age - kGrowSeconds;
    const float drift = std::exp(a * kDrift);
    const float c = a * kShrinkRate;
    const float scale = c > 1.0f ? kShrunkRadius : (c * kShrinkAmount + 1.0f) * kFullRadius;
    const float d = a * kTintRate;
    const float grey = d > 1.0f ? kOliveGrey : d * kOliveGrey;
    pose = {drop.x * drift, drop.y + a * kFallSpeed, scale, grey, grey, kOliveBlue, 1.0f};
    return true;
}

CameraPose cameraPoseAt(float t)
{
    CameraPose camera{1.0f, false, 0.0f, 1.0f};
    if (t < kZoomInSeconds) {
        float progress = t / kZoomInSeconds;
        if (progress < 0.0f)
            progress = 0.0f;
        camera.zoom = 1.0f + progress;
    }
    // From 15 s on (15 itself included, so the zoom does not drop to 1 for that
    // one instant) the settle zoom takes over from 2.
    if (t >= kZoomInSeconds) {
        const float u = t - kZoomInSeconds;
        // The lift is taken in double precision and rounded.
        camera.scrolls = true;
        camera.lift = static_cast<float>(static_cast<double>(u) * kScrollSpeed);
        camera.settleZoom = kSettleSpan * std::exp(-u) + kSettledZoom;
    }
    return camera;
}

} // namespace dropmotion
