// The branch generator's definitions that its replay shares and so cannot
// check (the per-kind table, the length factor, the turn, the sway), and its
// capacity rule, which no frame of the demo reaches. The rest the replay
// comparison covers.

#include "BranchMemory.h"

#include "growth/BranchGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using branching::BranchBuffer;
using branching::BranchKind;

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kSentinel = 12345.0f;

// Draw sources with known values; they count how often they are asked.
int drawCount = 0;

float zeroDraw()
{
    ++drawCount;
    return 0.0f;
}

// Distinct values in the range rndn() mostly covers.
float sequenceDraw()
{
    const float value = 0.3f * static_cast<float>(drawCount % 7) - 0.9f;
    ++drawCount;
    return value;
}

struct Generated
{
    std::vector<float> floats;  // capacity floats, then sentinels
    int used = 0;
    int draws = 0;

    int segments() const { return used / 4; }
    // Segment i as x0, y0, x1, y1.
    const float* segment(int i) const { return floats.data() + 4 * i; }
    float segmentLength(int i) const { return ::segmentLength(floats, static_cast<std::size_t>(i)); }
};

Generated generate(BranchKind kind, int level, float growthValue, float angle, float length, int capacity,
                   branching::NormalDraw draw = zeroDraw, float time = 0.0f)
{
    Generated out;
    out.floats.assign(static_cast<std::size_t>(capacity) + 8, kSentinel);
    BranchBuffer buffer{out.floats.data(), 0, capacity};
    drawCount = 0;
    branching::generateBranches(kind, buffer, time, level, growthValue, 0.0f, 0.0f, angle, length, draw);
    out.used = buffer.used;
    out.draws = drawCount;
    return out;
}

constexpr int kRoomy = 4 * 10000;

} // namespace

TEST(BranchGeometry, TreeAndRootsWithZeroDrawsMatchWorkedExamples)
{
    const struct
    {
        BranchKind kind;
        float angle;
        float segments[4][4];
    } rows[] = {
        {BranchKind::GrowingTree, kHalfPi, {{0.0f, 0.0f, 0.0f, 0.25f}, {0.0f, 0.0833f, -0.0280f, 0.2687f},
                                            {0.0f, 0.1667f, 0.0487f, 0.2818f}, {0.0f, 0.25f, 0.0f, 0.375f}}},
        {BranchKind::GrowingRoots, -kHalfPi, {{0.0f, 0.0f, 0.0f, -0.25f}, {0.0f, -0.0833f, 0.0487f, -0.1985f},
                                              {0.0f, -0.1667f, -0.0487f, -0.2818f}, {0.0f, -0.25f, 0.0f, -0.4375f}}},
    };
    for (const auto& row : rows) {
        const Generated g = generate(row.kind, 2, 2.0f, row.angle, 0.25f, kRoomy);
        ASSERT_EQ(g.segments(), 4);
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(g.segment(i)[k], row.segments[i][k], 5e-5) << "segment " << i << ", float " << k;
    }
}

TEST(BranchGeometry, RunningBranchAndFrameShareTheRootsPlacement)
{
    const Generated roots = generate(BranchKind::GrowingRoots, 4, 4.0f, 0.7f, 0.2f, kRoomy, sequenceDraw);
    for (BranchKind kind : {BranchKind::RunningBranch, BranchKind::BranchFrame}) {
        const Generated other = generate(kind, 4, 4.0f, 0.7f, 0.2f, kRoomy, sequenceDraw);
        ASSERT_EQ(other.used, roots.used);
        for (int i = 0; i < roots.used; ++i)
            EXPECT_NEAR(other.floats[i], roots.floats[i], 1e-6) << "float " << i;
    }
}

TEST(BranchGeometry, SecondDrawTurnsTheContinuationAfterBothSideSubtrees)
{
    // Level 2 draws: root length, first child (length, turn), second child
    // (length, turn), root turn, continuation (length, turn).
    const Generated g = generate(BranchKind::GrowingRoots, 2, 2.0f, 0.5f, 0.2f, kRoomy, sequenceDraw);
    ASSERT_EQ(g.segments(), 4);
    ASSERT_EQ(g.draws, 8);
    const auto value = [](int i) { return 0.3f * static_cast<float>(i) - 0.9f; };
    const float rootLength = static_cast<float>(0.2f * (1.0 + 0.2 * value(0)));
    const float turned = static_cast<float>(0.5 + 0.2 * static_cast<double>(value(5)));
    const float continuationLength = static_cast<float>((rootLength * 0.75f) * (1.0 + 0.2 * value(6)));
    const float* c = g.segment(3);
    EXPECT_NEAR(c[0], std::cos(0.5f) * rootLength, 1e-6);
    EXPECT_NEAR(std::atan2(c[3] - c[1], c[2] - c[0]), turned, 1e-5);
    EXPECT_NEAR(g.segmentLength(3), continuationLength, 1e-6);
}

TEST(BranchGeometry, LengthFactorIsKeptWithinAHalfAndOneAndAHalf)
{
    for (const auto& row : {std::make_pair<branching::NormalDraw, float>([] { return -3.0f; }, 0.5f),
                            std::make_pair<branching::NormalDraw, float>([] { return 3.0f; }, 1.5f)}) {
        const Generated g = generate(BranchKind::GrowingRoots, 1, 1.0f, 0.0f, 0.2f, kRoomy, row.first);
        EXPECT_FLOAT_EQ(g.segmentLength(0), 0.2f * row.second) << "factor " << row.second;
    }
}

TEST(BranchGeometry, TreeChildrenSwayWithTime)
{
    // The tree's latest time, where a rate off in its fifth digit shows.
    const float time = 13.0f;
    const Generated g = generate(BranchKind::GrowingTree, 2, 2.0f, kHalfPi, 0.25f, kRoomy, zeroDraw, time);
    ASSERT_EQ(g.segments(), 4);
    const auto direction = [&](int i) {
        const float* s = g.segment(i);
        return std::atan2(s[3] - s[1], s[2] - s[0]);
    };
    EXPECT_NEAR(direction(0), kHalfPi, 1e-6);  // the first branch does not sway
    EXPECT_NEAR(direction(1), kHalfPi + 0.15 + 0.05 * std::sin(0.76543 * time), 2e-6);
    EXPECT_NEAR(direction(2), kHalfPi - 0.4 + 0.05 * std::sin(0.9132 * time), 2e-6);
    EXPECT_NEAR(direction(3), kHalfPi + 0.05 * std::sin(1.2132 * time), 2e-6);
    // Roots ignore the time.
    const Generated r0 = generate(BranchKind::GrowingRoots, 3, 3.0f, -kHalfPi, 0.2f, kRoomy, zeroDraw, 0.0f);
    const Generated r1 = generate(BranchKind::GrowingRoots, 3, 3.0f, -kHalfPi, 0.2f, kRoomy, zeroDraw, time);
    EXPECT_EQ(r0.floats, r1.floats);
}

TEST(BranchCapacity, StopsExactlyAtCapacityAndStillMakesPendingSecondDraws)
{
    const Generated full = generate(BranchKind::GrowingRoots, 3, 3.0f, -kHalfPi, 0.2f, kRoomy, sequenceDraw);
    ASSERT_EQ(full.segments(), 13);
    // Capacities that end inside a first child's subtree, right before a
    // continuation, and at a size that is not a whole number of segments.
    struct Case
    {
        int level, capacity, segments, draws;
    };
    for (const Case& c : {Case{3, 16, 4, 8}, Case{2, 12, 3, 6}, Case{3, 18, 4, 8}, Case{3, 20, 5, 10}}) {
        const Generated g = generate(BranchKind::GrowingRoots, c.level, 3.0f, -kHalfPi, 0.2f, c.capacity,
                                     sequenceDraw);
        EXPECT_EQ(g.segments(), c.segments) << "capacity " << c.capacity;
        EXPECT_EQ(g.draws, c.draws) << "capacity " << c.capacity;
        for (std::size_t i = static_cast<std::size_t>(g.used); i < g.floats.size(); ++i)
            ASSERT_EQ(g.floats[i], kSentinel) << "float " << i << " written beyond the segments";
        if (c.level == 3) {
            // What was written is the pre-order prefix of the unbounded structure.
            for (int i = 0; i < g.used; ++i)
                EXPECT_EQ(g.floats[i], full.floats[i]) << "float " << i;
        }
    }
}
