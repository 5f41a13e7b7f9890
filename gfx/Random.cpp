#include "gfx/Random.h"

#include <cmath>
#include <cstdlib>

namespace {

// Exactly 2^-31: rand() is taken to deliver 0 .. 2^31 - 1.
constexpr float kUniformScale = 4.656612873077393e-10f;
constexpr double kTwoPi = 6.283185307179586;
// ln(0) would be infinite; a zero uniform is replaced so the pair stays finite.
constexpr double kSmallestUniform = 1e-100;

bool hasSpare = false;
float rand1 = 0.0f;
float rand2 = 0.0f;

float uniformFromRand()
{
    // Single-precision conversion first: values from 2^31 - 64 up round to 2^31 and give 1.0.
    return static_cast<float>(std::rand()) * kUniformScale;
}

} // namespace

float rnd()
{
    return uniformFromRand();
}

float rndn()
{
    if (hasSpare) {
        hasSpare = false;
        return static_cast<float>(std::sqrt(static_cast<double>(rand1)) * std::sin(static_cast<double>(rand2)));
    }
    hasSpare = true;
    double u1 = uniformFromRand();
    if (u1 < kSmallestUniform)
        u1 = kSmallestUniform;
    rand1 = static_cast<float>(-2.0 * std::log(u1));
    const float u2 = uniformFromRand();
    rand2 = static_cast<float>(static_cast<double>(u2) * kTwoPi);
    return static_cast<float>(std::sqrt(static_cast<double>(rand1)) * std::cos(static_cast<double>(rand2)));
}

bool rndnSparePending()
{
    return hasSpare;
}
