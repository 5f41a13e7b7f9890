// The main-branch loop that the running branch and the branch frame share,
// driven through a recording steps object.

#include "BranchMemory.h"

#include "growth/MainBranch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using branching::BranchBuffer;

namespace {

constexpr float kSentinel = 12345.0f;

// What the loop asked for, in order.
std::vector<std::string> events;

float zeroDraw()
{
    events.push_back("draw");
    return 0.0f;
}

// Goes straight along +x, records what the loop asks of it.
struct RecordingSteps
{
    branching::NormalDraw draw;
    std::vector<branching::MainBranchStep>* steps;

    float steer(float, float, float angle) const
    {
        events.push_back("steer");
        return angle;
    }
    branching::SegmentDirection direction(float angle) const { return {std::cos(angle), std::sin(angle)}; }
    void growSideBranches(const branching::MainBranchStep& step) const
    {
        events.push_back("sides");
        steps->push_back(step);
    }
};

struct MainRun
{
    std::vector<float> floats;
    std::vector<branching::MainBranchStep> steps;
    int used = 0;

    int segments() const { return used / 4; }
    float segmentLength(int i) const { return ::segmentLength(floats, static_cast<std::size_t>(i)); }
};

MainRun runMain(float budget, int capacity = 4000, int level = 4, int usedBefore = 0)
{
    MainRun run;
    run.floats.assign(static_cast<std::size_t>(capacity) + 8, kSentinel);
    BranchBuffer buffer{run.floats.data(), usedBefore, capacity};
    events.clear();
    branching::generateMainBranch(buffer, RecordingSteps{zeroDraw, &run.steps}, level, budget, 0.0f, 0.0f, 0.0f, 0.15f);
    run.used = buffer.used;
    return run;
}

} // namespace

TEST(MainBranchLoop, NoBudgetOrNoLevelWritesNothing)
{
    for (float budget : {0.0f, -1.0f, -0.01f}) {
        const MainRun run = runMain(budget);
        EXPECT_EQ(run.used, 0) << "budget " << budget;
        EXPECT_TRUE(run.steps.empty());
        EXPECT_EQ(run.floats[0], kSentinel);
    }
    EXPECT_EQ(runMain(3.0f, 4000, 0).used, 0);
}

// Each step draws the length before steering and the walk after its side
// branches, which see its budget, its start point and the main branch's level.
TEST(MainBranchLoop, IntegerBudgetGivesThatManyFullChainedSegments)
{
    const MainRun run = runMain(3.0f);
    ASSERT_EQ(run.segments(), 3);
    ASSERT_EQ(run.steps.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(run.segmentLength(i), 0.15f);
        EXPECT_FLOAT_EQ(run.floats[4 * i], 0.15f * static_cast<float>(i)) << "chained tip to start";
        EXPECT_FLOAT_EQ(run.steps[i].growth, 3.0f - static_cast<float>(i));
        EXPECT_EQ(run.steps[i].level, 4);
        EXPECT_NEAR(run.steps[i].x, 0.15f * static_cast<float>(i), 1e-6);
        EXPECT_FLOAT_EQ(run.steps[i].dx, 0.15f);
        const std::vector<std::string> step(events.begin() + 4 * i, events.begin() + 4 * i + 4);
        EXPECT_EQ(step, (std::vector<std::string>{"draw", "steer", "sides", "draw"})) << "step " << i;
    }
    EXPECT_EQ(events.size(), 12u);
}

TEST(MainBranchLoop, FractionalBudgetAddsOneShortenedSegment)
{
    const MainRun run = runMain(2.25f);
    ASSERT_EQ(run.segments(), 3);
    EXPECT_FLOAT_EQ(run.segmentLength(0), 0.15f);
    EXPECT_FLOAT_EQ(run.segmentLength(1), 0.15f);
    EXPECT_NEAR(run.segmentLength(2), 0.15f * 0.25f, 1e-6);

    const MainRun tiny = runMain(0.1f);
    ASSERT_EQ(tiny.segments(), 1);
    EXPECT_NEAR(tiny.segmentLength(0), 0.015f, 1e-6);
    // The side branches see the shortened nominal length and the step's budget.
    ASSERT_EQ(tiny.steps.size(), 1u);
    EXPECT_NEAR(tiny.steps[0].length, 0.015f, 1e-7);
    EXPECT_FLOAT_EQ(tiny.steps[0].growth, 0.1f);
}

TEST(MainBranchLoop, StopsAtCapacityWithoutWritingBeyond)
{
    const MainRun full = runMain(10.0f, 8);
    EXPECT_EQ(full.used, 8);
    EXPECT_EQ(full.floats[8], kSentinel);

    // A buffer already full on entry gets nothing and is not asked for side branches.
    const MainRun none = runMain(10.0f, 8, 4, 8);
    EXPECT_EQ(none.used, 8);
    EXPECT_TRUE(none.steps.empty());
    EXPECT_EQ(none.floats[0], kSentinel);
}

TEST(MainBranchMaths, SegmentLengthFactorIsClamped)
{
    EXPECT_FLOAT_EQ(branching::mainSegmentLength(0.0f, 0.15f), 0.15f);
    EXPECT_FLOAT_EQ(branching::mainSegmentLength(1.0f, 0.5f), 0.7f);
    EXPECT_FLOAT_EQ(branching::mainSegmentLength(-5.0f, 1.0f), 0.2f);
    EXPECT_FLOAT_EQ(branching::mainSegmentLength(5.0f, 1.0f), 2.0f);
}

TEST(MainBranchMaths, WalkTurnsByAFifthOfTheDrawInDoublePrecision)
{
    EXPECT_EQ(branching::walkedAngle(1.0f, 0.5f), static_cast<float>(1.0 + 0.2 * 0.5));
    EXPECT_EQ(branching::walkedAngle(-1.3f, 1.0f), static_cast<float>(static_cast<double>(-1.3f) + 0.2));
}

TEST(MainBranchMaths, BudgetIsEightSegmentsPerSecond)
{
    EXPECT_EQ(branching::mainBranchBudget(0.0f), 0.0f);
    EXPECT_LT(branching::mainBranchBudget(0.124f), 1.0f);
    EXPECT_GT(branching::mainBranchBudget(0.124f), 0.0f);
    EXPECT_NEAR(branching::mainBranchBudget(15.0f), 120.0f, 1e-4);
    EXPECT_NEAR(branching::mainBranchBudget(33.0f), 264.0f, 1e-4);
    EXPECT_LT(branching::mainBranchBudget(-1.0f), 0.0f);
}
