#include "gfx/Random.h"

#include <cmath>

namespace {

// ---------------------------------------------------------------------------
// The generator: glibc's TYPE_3 additive feedback generator, degree 31,
// separation 3. Each value adds the word three places back to the word 31
// places back (mod 2^32) and drops the lowest bit.

constexpr int kDegree = 31;
constexpr int kSeparation = 3;
constexpr int kWarmUp = 10 * kDegree;  // values thrown away after seeding

// Until the first srand() the generator behaves as if seeded with 1, as glibc's does.
gfx::RandomState state{};
bool seeded = false;

void seedRing(unsigned int seed)
{
    if (seed == 0)
        seed = 1;
    // The seed enters as a signed 32-bit word, as in glibc; the rest of the ring
    // is 16807 * previous mod (2^31 - 1), done in 32 bits without overflow
    // (Schrage's method).
    std::int32_t word = static_cast<std::int32_t>(seed);
    state.ring[0] = word;
    for (int i = 1; i < kDegree; ++i) {
        const std::int32_t hi = word / 127773;
        const std::int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        state.ring[static_cast<std::size_t>(i)] = word;
    }
    state.front = kSeparation;
    state.rear = 0;
    for (int i = 0; i < kWarmUp; ++i)
        gfx::rand();
}

// ---------------------------------------------------------------------------
// rnd() and rndn().

// Exactly 2^-31: rand() delivers 0 .. 2^31 - 1.
constexpr float kUniformScale = 4.656612873077393e-10f;
constexpr double kTwoPi = 6.283185307179586;
// ln(0) would be infinite; a zero uniform is replaced so the pair stays finite.
constexpr double kSmallestUniform = 1e-100;

float uniformFromRand()
{
    // Single-precision conversion first: values from 2^31 - 64 up round to 2^31 and give 1.0.
    return static_cast<float>(gfx::rand()) * kUniformScale;
}

} // namespace

namespace gfx {

void srand(unsigned int seed)
{
    seeded = true;
    seedRing(seed);
}

int rand()
{
    if (!seeded)
        srand(1);
    // Unsigned addition: the words wrap mod 2^32, as glibc's do.
    std::int32_t& front = state.ring[static_cast<std::size_t>(state.front)];
    const std::uint32_t sum = static_cast<std::uint32_t>(front) +
                              static_cast<std::uint32_t>(state.ring[static_cast<std::size_t>(state.rear)]);
    front = static_cast<std::int32_t>(sum);
    if (++state.front == kDegree)
        state.front = 0;
    if (++state.rear == kDegree)
        state.rear = 0;
    return static_cast<int>(sum >> 1);
}

bool RandomState::operator==(const RandomState& other) const
{
    return ring == other.ring && front == other.front && rear == other.rear && hasSpare == other.hasSpare &&
           rand1 == other.rand1 && rand2 == other.rand2;
}

RandomState randomState()
{
    if (!seeded)
        srand(1);
    return state;
}

void setRandomState(const RandomState& newState)
{
    seeded = true;
    state = newState;
}

} // namespace gfx

float rnd()
{
    return uniformFromRand();
}

float rndn()
{
    if (state.hasSpare) {
        state.hasSpare = false;
        return static_cast<float>(std::sqrt(static_cast<double>(state.rand1)) *
                                  std::sin(static_cast<double>(state.rand2)));
    }
    state.hasSpare = true;
    double u1 = uniformFromRand();
    if (u1 < kSmallestUniform)
        u1 = kSmallestUniform;
    state.rand1 = static_cast<float>(-2.0 * std::log(u1));
    const float u2 = uniformFromRand();
    state.rand2 = static_cast<float>(static_cast<double>(u2) * kTwoPi);
    return static_cast<float>(std::sqrt(static_cast<double>(state.rand1)) *
                              std::cos(static_cast<double>(state.rand2)));
}

bool rndnSparePending()
{
    return state.hasSpare;
}
