// The branch frame's pure parts that its replay shares: the seed and the bend
// along the unit circle, at the start point of each segment.

#include "BranchMemory.h"

#include "scenes/crashframe/BranchFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

float zeroNormal()
{
    return 0.0f;
}

} // namespace

TEST(BranchFrameSeed, IsTheAnglesBitPattern)
{
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[0]), 0u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[1]), 1070141403u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[2]), 1078530011u);
    EXPECT_EQ(BranchFrame::seedFor(kFrameAngles[3]), 3217625051u);
}

TEST(BranchFrameBend, TurnsOnlyOutsideTheUnitCircle)
{
    EXPECT_EQ(BranchFrame::bendAlongCircle(0.5f, 0.5f, 1.0f), 1.0f);
    EXPECT_EQ(BranchFrame::bendAlongCircle(1.0f, 0.0f, 1.0f), 1.0f);  // on the circle: not outside
    EXPECT_EQ(BranchFrame::bendAlongCircle(0.8f, 0.7f, 1.0f), 1.8f);
    EXPECT_EQ(BranchFrame::bendAlongCircle(-2.0f, 0.0f, -0.5f), -0.5f + 0.8f);
}

TEST(BranchFrameGeneration, FirstBendAtTheFirstStartOutsideTheCircle)
{
    // Level 1 keeps the side branches out; with every draw 0 the segments
    // are 0.15 long and the walk does not turn.
    Memory memory(4 * 12, 0.0f);
    const std::vector<float>& f = memory.floats;
    BranchFrame::growMainBranch(memory.buffer, 0.0f, 1, 10.0f, 0.0f, 0.0f, 0.0f, 0.15f, zeroNormal, rnd);
    ASSERT_EQ(memory.buffer.used, 40);
    for (int i = 0; i < 10; ++i) {
        const float* s = f.data() + 4 * i;
        const double heading = std::atan2(s[3] - s[1], s[2] - s[0]);
        if (i < 7) {
            EXPECT_NEAR(heading, 0.0, 1e-6) << "segment " << i << " starts inside the circle";
        } else {
            EXPECT_GT(s[0] * s[0] + s[1] * s[1], 1.0f);
        }
        if (i == 7) {
            EXPECT_NEAR(heading, 0.8, 1e-6) << "segment 7 starts at x = 1.05";
        }
    }
    EXPECT_NEAR(f[4 * 7], 1.05f, 1e-6);
}
