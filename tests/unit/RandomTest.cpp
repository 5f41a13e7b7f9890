#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Draws rndn() until no spare is pending, so each test starts from a known state.
void dropPendingSpare()
{
    if (rndnSparePending())
        rndn();
}

float uniformOf(int value)
{
    return static_cast<float>(value) * 4.656612873077393e-10f;
}

} // namespace

TEST(Random, RndFollowsRandThroughTheScale)
{
    gfx::srand(7);
    const int first = gfx::rand();
    const int second = gfx::rand();
    gfx::srand(7);
    EXPECT_EQ(rnd(), uniformOf(first));
    EXPECT_EQ(rnd(), uniformOf(second));
}

TEST(Random, RndnReturnsCosineThenSineOfOnePair)
{
    dropPendingSpare();
    gfx::srand(11);
    const float u1 = uniformOf(gfx::rand());
    const float u2 = uniformOf(gfx::rand());
    const float r = static_cast<float>(-2.0 * std::log(static_cast<double>(u1)));
    const float theta = static_cast<float>(static_cast<double>(u2) * kTwoPi);
    const double radius = std::sqrt(static_cast<double>(r));

    gfx::srand(11);
    EXPECT_EQ(rndn(), static_cast<float>(radius * std::cos(static_cast<double>(theta))));
    EXPECT_TRUE(rndnSparePending());
    EXPECT_EQ(rndn(), static_cast<float>(radius * std::sin(static_cast<double>(theta))));
    EXPECT_FALSE(rndnSparePending());
}

// A pair draws two rand() values; its spare draws none and survives reseeding.
TEST(Random, PairDrawsTwoRandValuesAndItsSpareNoneEvenAcrossAReseed)
{
    dropPendingSpare();
    gfx::srand(5);
    const int first = gfx::rand();
    gfx::rand();
    const int third = gfx::rand();
    gfx::srand(5);
    rndn();
    const float sine = rndn();
    EXPECT_EQ(gfx::rand(), third);

    gfx::srand(5);
    rndn();  // leaves the sine of the pair pending
    gfx::srand(5);
    EXPECT_EQ(rndn(), sine);
    EXPECT_EQ(gfx::rand(), first);
}

TEST(Random, OwnRandMatchesThePlatformGenerator)
{
    // Our generator is glibc's; on a glibc platform the two agree value for
    // value, the seeds of the branch frames and 0 (taken as 1) included.
    for (unsigned int seed : {0u, 1u, 2u, 7u, 1070141403u, 1078530011u, 3217625051u, 0x80000000u, 0xFFFFFFFFu}) {
        std::srand(seed);
        gfx::srand(seed);
        int mismatches = 0;
        for (int i = 0; i < 5000; ++i)
            if (std::rand() != gfx::rand())
                ++mismatches;
        EXPECT_EQ(mismatches, 0) << "seed " << seed;
    }
}

TEST(Random, StateRoundTripsAndRepeatsTheSequence)
{
    dropPendingSpare();
    gfx::srand(9);
    rndn();
    const gfx::RandomState saved = gfx::randomState();
    const float spare = rndn();
    const int next = gfx::rand();
    gfx::srand(4);
    rndn();
    gfx::setRandomState(saved);
    EXPECT_EQ(rndn(), spare);
    EXPECT_EQ(gfx::rand(), next);
}
