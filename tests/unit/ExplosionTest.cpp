#include "scenes/crashframe/Explosion.h"

#include <gtest/gtest.h>

TEST(ExplosionTimeline, DiskSwellsToOnePointFiveByTenThirds)
{
    EXPECT_EQ(Explosion::radiusAt(-1.0f), 0.0f);
    EXPECT_EQ(Explosion::radiusAt(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(Explosion::radiusAt(1.0f), 0.45f);
    EXPECT_NEAR(Explosion::radiusAt(10.0f / 3.0f), 1.5f, 1e-6);
    for (float t : {3.5f, 10.0f, 11.0f, 12.5f, 15.0f})
        EXPECT_EQ(Explosion::radiusAt(t), 1.5f) << "t = " << t;
}

TEST(ExplosionTimeline, WhiteFadesInFromTenOverTwoAndAHalfSeconds)
{
    EXPECT_EQ(Explosion::whiteAlphaAt(0.0f), 0.0f);
    EXPECT_EQ(Explosion::whiteAlphaAt(10.0f), 0.0f);
    EXPECT_FLOAT_EQ(Explosion::whiteAlphaAt(11.0f), 0.4f);
    EXPECT_EQ(Explosion::whiteAlphaAt(12.5f), 1.0f);
    EXPECT_EQ(Explosion::whiteAlphaAt(15.0f), 1.0f);
}
