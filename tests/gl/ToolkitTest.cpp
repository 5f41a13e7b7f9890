#include "support/GlTestContext.h"

TEST_F(GlTest, ClearedFrameIsWhite)
{
    EXPECT_EQ(pixelAt(0.0f, 0.0f), kWhite);
}
