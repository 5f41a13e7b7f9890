#include "scenes/growingtree/GrowingTreeScene.h"

#include <gtest/gtest.h>

TEST(GrowingTreeCamera, RisesFromTwoBelowAndRestsAtFiveSeconds)
{
    const auto start = GrowingTreeScene::cameraAt(0.0f);
    EXPECT_TRUE(start.rises);
    EXPECT_FLOAT_EQ(start.y, -2.0f);
    EXPECT_FALSE(start.slides);

    const auto halfway = GrowingTreeScene::cameraAt(2.5f);
    EXPECT_TRUE(halfway.rises);
    EXPECT_FLOAT_EQ(halfway.y, -1.0f);

    const auto rest = GrowingTreeScene::cameraAt(5.0f);
    EXPECT_FALSE(rest.rises);
    EXPECT_FALSE(rest.slides);

    // Before the scene starts the offset stays at its lowest.
    EXPECT_FLOAT_EQ(GrowingTreeScene::cameraAt(-1.0f).y, -2.0f);
}

TEST(GrowingTreeCamera, SlidesLeftFromSeventeenPointSeven)
{
    EXPECT_FALSE(GrowingTreeScene::cameraAt(17.7f).slides);

    const auto second = GrowingTreeScene::cameraAt(18.7f);
    EXPECT_TRUE(second.slides);
    EXPECT_NEAR(second.x, -1.2f, 1e-5);
    EXPECT_FALSE(second.rises);

    const auto end = GrowingTreeScene::cameraAt(20.0f);
    EXPECT_TRUE(end.slides);
    EXPECT_NEAR(end.x, -2.76f, 1e-5);
    EXPECT_FALSE(end.rises);
}
