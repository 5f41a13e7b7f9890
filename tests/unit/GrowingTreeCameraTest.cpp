#include "scenes/growingtree/GrowingTreeScene.h"

#include <gtest/gtest.h>

// Rises from two below until it rests at 5 s; slides left from 17.7 s.
TEST(GrowingTreeCamera, RisesUntilFiveSecondsAndSlidesLeftFromSeventeenPointSeven)
{
    const struct
    {
        float t;
        GrowingTreeScene::Camera expected;  // a part that is absent is not compared
    } rows[] = {
        {-1.0f, {true, -2.0f, false, 0.0f}}, {0.0f, {true, -2.0f, false, 0.0f}}, {2.5f, {true, -1.0f, false, 0.0f}},
        {5.0f, {false, 0.0f, false, 0.0f}},  {17.7f, {false, 0.0f, false, 0.0f}}, {18.7f, {false, 0.0f, true, -1.2f}},
        {20.0f, {false, 0.0f, true, -2.76f}},
    };
    for (const auto& row : rows) {
        const GrowingTreeScene::Camera c = GrowingTreeScene::cameraAt(row.t);
        EXPECT_EQ(c.rises, row.expected.rises) << "t = " << row.t;
        EXPECT_EQ(c.slides, row.expected.slides) << "t = " << row.t;
        if (c.rises) {
            EXPECT_NEAR(c.y, row.expected.y, 1e-5) << "t = " << row.t;
        }
        if (c.slides) {
            EXPECT_NEAR(c.x, row.expected.x, 1e-5) << "t = " << row.t;
        }
    }
}
