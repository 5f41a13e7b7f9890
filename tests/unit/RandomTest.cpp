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

TEST(Random, UniformScaleMapsRandRangeOntoZeroToOne)
{
    // The boundary values of the conversion: 0, the first value that rounds to
    // 2^31 in single precision, and the largest value rand() can deliver.
    EXPECT_EQ(uniformOf(0), 0.0f);
    EXPECT_EQ(uniformOf(2147483583), 0.99999994f);
    EXPECT_EQ(uniformOf(2147483584), 1.0f);
    EXPECT_EQ(uniformOf(RAND_MAX), 1.0f);
}

TEST(Random, RndFollowsRandThroughTheScale)
{
    std::srand(7);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(7);
    EXPECT_EQ(rnd(), uniformOf(first));
    EXPECT_EQ(rnd(), uniformOf(second));
}

TEST(Random, RndnReturnsCosineThenSineOfOnePair)
{
    dropPendingSpare();
    std::srand(11);
    const float u1 = uniformOf(std::rand());
    const float u2 = uniformOf(std::rand());
    const float r = static_cast<float>(-2.0 * std::log(static_cast<double>(u1)));
    const float theta = static_cast<float>(static_cast<double>(u2) * kTwoPi);
    const double radius = std::sqrt(static_cast<double>(r));

    std::srand(11);
    EXPECT_EQ(rndn(), static_cast<float>(radius * std::cos(static_cast<double>(theta))));
    EXPECT_TRUE(rndnSparePending());
    EXPECT_EQ(rndn(), static_cast<float>(radius * std::sin(static_cast<double>(theta))));
    EXPECT_FALSE(rndnSparePending());
}

TEST(Random, PairConsumesTwoRandValuesAndSpareConsumesNone)
{
    dropPendingSpare();
    std::srand(3);
    std::rand();
    std::rand();
    const int third = std::rand();

    std::srand(3);
    rndn();
    rndn();
    EXPECT_EQ(std::rand(), third);
}

TEST(Random, SpareSurvivesReseeding)
{
    dropPendingSpare();
    std::srand(5);
    const int firstRand = std::rand();
    std::srand(5);
    rndn();
    const float sine = rndn();

    std::srand(5);
    rndn();  // leaves the sine of the pair pending
    std::srand(5);
    EXPECT_EQ(rndn(), sine);
    // The spare drew nothing from the reseeded generator.
    EXPECT_EQ(std::rand(), firstRand);
}

TEST(Random, EvenDrawCountAfterReseedRepeatsTheSameValues)
{
    dropPendingSpare();
    std::srand(0);
    float first[6];
    for (float& v : first)
        v = rndn();
    std::srand(0);
    for (float v : first)
        EXPECT_EQ(rndn(), v);
}
