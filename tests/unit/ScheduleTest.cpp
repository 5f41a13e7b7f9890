#include "app/Occlusion.h"
#include "app/Projection.h"
#include "app/Schedule.h"
#include "gfx/SceneComponents.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

struct Recorder : ISceneComponent
{
    Recorder(std::vector<std::string>& calls, std::string name) : log(calls), label(std::move(name)) {}
    void draw(float t) override { log.push_back(label + "@" + std::to_string(t)); }

    std::vector<std::string>& log;
    std::string label;
};

} // namespace

TEST(DemoClock, NanosecondDifferenceBecomesSingleSeconds)
{
    EXPECT_EQ(demoSeconds(1'500'000'000, 0), 1.5f);
    EXPECT_EQ(demoSeconds(5'000'000'000, 80'000'000'000), -75.0f);
    EXPECT_EQ(demoSeconds(1'000'000'000'000'000'000 + 75'000'000'000, 1'000'000'000'000'000'000), 75.0f);
}

// The longer side spans -1 to 1, the shorter side as far as the aspect lets it.
TEST(Projection, LongerSideSpansMinusOneToOne)
{
    const struct
    {
        int w, h;
        float halfWidth, halfHeight;
    } rows[] = {{800, 600, 1.0f, 0.75f}, {600, 800, 0.75f, 1.0f}, {512, 512, 1.0f, 1.0f}};
    for (const auto& row : rows) {
        const OrthoBounds b = orthoBounds(row.w, row.h);
        EXPECT_EQ(std::vector<float>({b.left, b.right, b.bottom, b.top}),
                  std::vector<float>({-row.halfWidth, row.halfWidth, -row.halfHeight, row.halfHeight}))
            << row.w << "x" << row.h;
    }
}

TEST(Projection, ZeroOrNegativeSizeKeepsTheLastProjection)
{
    // No GL context is current here: a call that reached GL would crash.
    EXPECT_FALSE(applyProjection(640, 0));
    EXPECT_FALSE(applyProjection(0, 480));
    EXPECT_FALSE(applyProjection(-1, 480));
}

TEST(SceneShape, ComponentsDrawInListOrderWithTheSameTime)
{
    std::vector<std::string> calls;
    ComponentList components{std::make_shared<Recorder>(calls, "a"), std::make_shared<Recorder>(calls, "b")};
    drawComponents(components, 2.5f);
    EXPECT_EQ(calls, (std::vector<std::string>{"a@2.500000", "b@2.500000"}));
}

namespace {

struct IdleScene : ISceneComponent
{
    void draw(float) override {}
};

gfx::HiddenRect hidesTheMiddle(float, const gfx::ViewWindow&)
{
    return {-0.5f, 0.5f, -0.5f, 0.5f};
}
gfx::HiddenRect hidesTheLowerHalf(float, const gfx::ViewWindow&)
{
    return gfx::hiddenBelow(0.0f);
}
gfx::HiddenRect hidesAll(float, const gfx::ViewWindow&)
{
    return gfx::kWholeViewHiddenRect;
}

} // namespace

// Of the later scenes that show, the one hiding most counts; none counts in an
// unbounded view, that is with culling off.
TEST(Occlusion, TheLaterSceneHidingMostCountsInABoundedViewOnly)
{
    Schedule schedule;
    schedule.append(0.0f, 10.0f, new IdleScene());
    schedule.append(0.0f, 10.0f, new IdleScene(), &hidesTheMiddle);
    schedule.append(0.0f, 10.0f, new IdleScene(), &hidesTheLowerHalf);
    schedule.append(6.0f, 10.0f, new IdleScene(), &hidesAll);
    const auto later = std::next(schedule.scenes().cbegin());
    const auto end = schedule.scenes().cend();
    const gfx::ViewWindow view = {-1.0f, 1.0f, -0.5f, 0.5f};
    EXPECT_EQ(hiddenByLaterScenes(later, end, 5.0f, view).top, 0.0f) << "the lower half, not the middle";
    EXPECT_EQ(hiddenByLaterScenes(later, end, 6.0f, view).top, gfx::kPastTheView) << "the scene shown from 6 s";
    EXPECT_TRUE(hiddenByLaterScenes(later, end, 6.0f, gfx::ViewWindow::everywhere()).isEmpty());
    EXPECT_TRUE(hiddenByLaterScenes(end, end, 6.0f, view).isEmpty()) << "the last scene";
}
