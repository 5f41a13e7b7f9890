// The schedule's frames with scenes that record their draws, and what later
// scenes hide: parts of the view left alone, within nested scissor boxes.

#include "app/Schedule.h"
#include "gfx/ScissorOutside.h"
#include "support/GlTestContext.h"

#include <array>
#include <string>
#include <vector>

namespace {

// A scene that records when it is drawn and paints the view black, so the
// frame shows whether anything drew.
struct RecordingScene : ISceneComponent
{
    RecordingScene(std::vector<std::string>& calls, std::string name) : log(calls), label(std::move(name)) {}
    void draw(float t) override
    {
        log.push_back(label + "@" + std::to_string(t));
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        glRectf(-0.1f, -0.1f, 0.1f, 0.1f);
    }

    std::vector<std::string>& log;
    std::string label;
};

class ScheduleFrames : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        // The demo's intervals with recording scenes in place of the real ones.
        schedule.append(0.0f, 35.0f, new RecordingScene(calls, "drops"));
        schedule.append(20.0f, 40.0f, new RecordingScene(calls, "tree"));
        schedule.append(37.0f, 70.0f, new RecordingScene(calls, "running"));
        schedule.append(60.0f, 75.0f, new RecordingScene(calls, "crash"));
    }

    std::vector<std::string> drawnAt(float t)
    {
        calls.clear();
        lastGoesOn = schedule.drawFrame(t);
        return calls;
    }

    using Calls = std::vector<std::string>;
    std::vector<std::string> calls;
    Schedule schedule;
    bool lastGoesOn = false;
};

} // namespace

// Bounds inclusive, overlapping scenes in schedule order, each with its own
// time; the last frame still drawn and ending the demo.
TEST_F(ScheduleFrames, DrawsEachSceneThatShowsInScheduleOrderAndSaysWhetherTheDemoGoesOn)
{
    const struct
    {
        float t;
        Calls calls;
        bool goesOn;
    } rows[] = {
        {-3.0f, {}, true},
        {0.0f, {"drops@0.000000"}, true},
        {25.0f, {"drops@25.000000", "tree@5.000000"}, true},
        {35.0f, {"drops@35.000000", "tree@15.000000"}, true},
        {38.0f, {"tree@18.000000", "running@1.000000"}, true},
        {40.0f, {"tree@20.000000", "running@3.000000"}, true},
        {65.0f, {"running@28.000000", "crash@5.000000"}, true},
        {70.0f, {"running@33.000000", "crash@10.000000"}, true},
        {74.5f, {"crash@14.500000"}, true},
        {75.0f, {"crash@15.000000"}, false},
        {78.0f, {}, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(drawnAt(row.t), row.calls) << "at " << row.t << " s";
        EXPECT_EQ(lastGoesOn, row.goesOn) << "at " << row.t << " s";
    }
    EXPECT_FALSE(Schedule().drawFrame(0.0f)) << "an empty schedule";
}

// From the identity, whatever the matrix was, and on white, whatever was drawn.
TEST_F(ScheduleFrames, EachFrameStartsFromIdentityAndAWhiteView)
{
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.5f, 0.0f, 0.0f);
    drawnAt(10.0f);
    const QImage frame = pixels();
    EXPECT_EQ(pixelAt(frame, 0.0f, 0.0f), kBlack);
    EXPECT_EQ(pixelAt(frame, 0.5f, 0.0f), kWhite);
    drawnAt(-1.0f);
    EXPECT_EQ(pixelAt(0.0f, 0.0f), kWhite);
}

TEST(DemoSchedule, BuildsTheFourScenesInOrder)
{
    OffscreenRenderer renderer(testGlContext());
    ASSERT_TRUE(renderer.begin(64, 64));
    Schedule schedule;
    schedule.build();
    std::vector<std::pair<float, float>> intervals;
    for (const Schedule::SceneInfo& entry : schedule.scenes())
        intervals.emplace_back(entry.start, entry.end);
    EXPECT_EQ(intervals, (std::vector<std::pair<float, float>>{{0, 35}, {20, 40}, {37, 70}, {60, 75}}));
}

namespace {

// A scene that paints the whole view in one colour.
struct FillingScene : ISceneComponent
{
    explicit FillingScene(int& drawCount) : draws(drawCount) {}
    void draw(float) override
    {
        ++draws;
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        glRectf(-2.0f, -2.0f, 2.0f, 2.0f);
    }
    int& draws;
};

// A later scene that draws nothing but claims to hide what lies below a height.
struct ClaimingScene : ISceneComponent
{
    void draw(float) override {}
};

gfx::HiddenRect hidesAll(float, const gfx::ViewWindow&)
{
    return gfx::kWholeViewHiddenRect;
}
gfx::HiddenRect hidesBelowMiddle(float, const gfx::ViewWindow&)
{
    return gfx::hiddenBelow(0.0f);
}
gfx::HiddenRect hidesTheMiddle(float, const gfx::ViewWindow&)
{
    return {-0.5f, 0.5f, -0.5f, 0.5f};
}

class HiddenScenes : public GlTest
{
protected:
    QImage frameWith(Schedule::SceneInfo::HiddenRegion claim)
    {
        Schedule schedule;
        schedule.append(0.0f, 10.0f, new FillingScene(draws));
        schedule.append(0.0f, 10.0f, new ClaimingScene(), claim);
        schedule.drawFrame(5.0f);
        return pixels();
    }

    int draws = 0;
};

} // namespace

TEST_F(HiddenScenes, ASceneHiddenWholeByALaterOneIsNotDrawn)
{
    frameWith(&hidesAll);
    EXPECT_EQ(draws, 0);
}

// Only the rows below the claimed height are left alone, less the couple of
// rows the scissor keeps for safety.
TEST_F(HiddenScenes, ASceneHiddenBelowAHeightIsDrawnOnlyAboveIt)
{
    const QImage frame = frameWith(&hidesBelowMiddle);
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(frame.pixel(width / 2, 0), kBlack) << "top row";
    EXPECT_EQ(frame.pixel(width / 2, height / 2 - 1), kBlack) << "just above the middle";
    EXPECT_EQ(frame.pixel(width / 2, height / 2 + 1), kBlack) << "the rows kept for safety";
    EXPECT_EQ(frame.pixel(width / 2, height / 2 + 4), kWhite) << "below them";
    EXPECT_EQ(frame.pixel(width / 2, height - 1), kWhite) << "bottom row";
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << "the scissor is switched off again";
}

// The view around the rectangle in four parts: above, below, left, right.
TEST_F(HiddenScenes, ASceneHiddenInTheMiddleIsDrawnAroundIt)
{
    const QImage frame = frameWith(&hidesTheMiddle);
    EXPECT_EQ(draws, 4);
    EXPECT_EQ(frame.pixel(width / 2, height / 2), kWhite) << "the middle";
    EXPECT_EQ(frame.pixel(width / 4 + 3, height / 2), kWhite) << "just inside the left edge, past the safety columns";
    EXPECT_EQ(frame.pixel(width / 4 - 1, height / 2), kBlack) << "left of it";
    EXPECT_EQ(frame.pixel(3 * width / 4 + 1, height / 2), kBlack) << "right of it";
    EXPECT_EQ(frame.pixel(width / 2, height / 4 - 1), kBlack) << "above it";
    EXPECT_EQ(frame.pixel(width / 2, 3 * height / 4 + 1), kBlack) << "below it";
    EXPECT_EQ(frame.pixel(0, 0), kBlack);
    EXPECT_EQ(frame.pixel(width - 1, height - 1), kBlack);
}

// A scene scissored around a hidden part may scissor again inside: the inner
// box stays within the outer one, and the outer one is back when it ends.
TEST_F(HiddenScenes, ScissorsNestWithinEachOther)
{
    gfx::ScissorOutside outer(gfx::hiddenBelow(0.0f));
    outer.select(0);
    std::array<GLint, 4> outerBox{};
    glGetIntegerv(GL_SCISSOR_BOX, outerBox.data());
    {
        gfx::ScissorOutside inner(gfx::hiddenBelow(-0.5f));
        inner.select(0);
        std::array<GLint, 4> innerBox{};
        glGetIntegerv(GL_SCISSOR_BOX, innerBox.data());
        EXPECT_EQ(innerBox, outerBox) << "the inner box would reach below the outer one";
    }
    std::array<GLint, 4> after{};
    glGetIntegerv(GL_SCISSOR_BOX, after.data());
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(after, outerBox);
}
