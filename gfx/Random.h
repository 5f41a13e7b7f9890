#pragma once

// The program's random numbers: its own rand()/srand() and the two draws built
// on them.
//
// gfx::rand()/gfx::srand() are an exact copy of the GNU C library's default
// generator (the additive feedback generator r[i] = r[i-3] + r[i-31] behind
// rand() and random()), so a seed gives the same pictures with every C
// library: another library's rand() may deliver a different sequence, or stop
// at 32767, which the uniform scale of rnd() does not expect. Nothing in the
// program calls std::rand or std::srand.

#include <array>
#include <cstdint>

namespace gfx {

// rand() delivers 0 .. 2^31 - 1.
constexpr int kRandMax = 2147483647;

// Seeds the process-wide generator; a seed of 0 is taken as 1, as glibc does.
void srand(unsigned int seed);
// The next value of the process-wide generator, 0 .. kRandMax.
int rand();

// Everything the random functions keep between calls: the generator's ring of
// 31 words with its two positions, and rndn()'s spare pair. Saved and put back
// whole, so code that precomputes draws can leave the sequence as it found it,
// or where the draws it stands in for would have left it.
struct RandomState
{
    std::array<std::int32_t, 31> ring;
    int front;  // position of the word the next value adds to
    int rear;   // position of the word it adds
    bool hasSpare;
    float rand1;
    float rand2;

    bool operator==(const RandomState& other) const;
    bool operator!=(const RandomState& other) const { return !(*this == other); }
};

RandomState randomState();
void setRandomState(const RandomState& state);

} // namespace gfx

// Uniform random number in [0, 1] from the process-wide gfx::rand() generator.
float rnd();

// Standard normal random number (Box-Muller). The second value of each pair is
// kept as a spare that srand() does not clear, so callers that reseed and then
// draw an even count see the same values every time.
float rndn();

// Whether rndn() holds a spare value for its next call.
bool rndnSparePending();
