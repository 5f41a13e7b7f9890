#pragma once

// The branch of the running off scene: it crawls to the right along a wavy
// ground line, about eight segments per second, steering towards the ground
// and sprouting four side branches per segment, while the world pans left
// behind the growing tip. Drawn white (clipped to x <= 2), then ground and
// branch are painted black through a stencil pass in which the start square,
// the ground and the lines all toggle the parity.
//
// The generation is pure: generateFrame() writes one frame's branch into any
// BranchBuffer, so tests and benchmarks run it on plain memory.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"
#include "growth/MainBranch.h"
#include "scenes/runningoff/RunningBranchReplay.h"

#include <cmath>
#include <vector>

class RunningBranch : public ISceneComponent
{
public:
    explicit RunningBranch(const gfx::FastPaths& paths);  // needs a current GL context
    ~RunningBranch() override;
    void draw(float t) override;

    int countBranches(int n) const;
    void generateBranches(int level, float growth, float x, float y, float angle, float length);
    void generateMainBranch(int level, float growth, float x, float y, float angle, float length);

    // --- Pure pieces, no GL ---

    // The frame's main branch: reseeded with kSeed, it starts at (kStartX,
    // kStartY) heading kStartAngle, in nominal segments of kSegmentLength.
    // Shared by the straightforward and the replayed generation, as is all
    // that follows.
    static constexpr unsigned int kSeed = 0;
    static constexpr float kStartX = 0.0f;
    static constexpr float kStartY = -0.2f;
    static constexpr float kStartAngle = -1.3f;
    static constexpr float kSegmentLength = 0.15f;

    // Places one main step's kSideBranchesPerStep side branches and hands each
    // to `grow` (level, growth, x, y, angle, length): three rising a quarter,
    // half and three quarters along, swaying with budget and time, one falling
    // two thirds along.
    static constexpr int kSideBranchesPerStep = 4;
    template <class Grow>
    static void placeSideBranches(const branching::MainBranchStep& s, float time, Grow&& grow)
    {
        constexpr double kHalfPi = 1.5707963267948966;
        constexpr double kQuarterPi = 0.7853981633974483;
        constexpr int kRising = kSideBranchesPerStep - 1;
        const int level = s.level - 1;
        const float growth = s.growth - 1.0f;
        const float riseLength = 0.25f * s.length;
        const float fallLength = 0.5f * s.length;
        const float lag[kRising] = {0.0f, -0.33333334f, -0.6666667f};
        for (int i = 0; i < kRising; ++i) {
            // Sway phase and sine in single precision, the angle in double, rounded.
            const float sway = std::sin(0.1f * (s.growth + lag[i]) + time);
            const float angle = static_cast<float>(static_cast<double>(s.angle) + kHalfPi +
                                                   kQuarterPi * static_cast<double>(sway));
            const float along = static_cast<float>(i + 1);
            grow(level, growth, s.x + 0.25f * (along * s.dx), s.y + 0.25f * (along * s.dy), angle, riseLength);
        }
        const float fallAngle = static_cast<float>(static_cast<double>(s.angle) - kHalfPi);
        grow(level, growth, s.x + (s.dx + s.dx) / 3.0f, s.y + (s.dy + s.dy) / 3.0f, fallAngle, fallLength);
    }

    // The running branch's steps of the main-branch loop (growth/MainBranch.h):
    // the draws come from `draw`, and the side branches grow through
    // sides.grow(level, growth, x, y, angle, length).
    template <class Draw, class Sides>
    struct MainSteps
    {
        Draw draw;
        Sides& sides;
        const std::vector<float>& ground;
        float time;

        float steer(float x, float y, float angle) const
        {
            return steerTowardsGround(angle, y - groundHeightAt(ground, x));
        }
        // Single precision, unlike the branch frame.
        branching::SegmentDirection direction(float angle) const { return {std::cos(angle), std::sin(angle)}; }
        void growSideBranches(const branching::MainBranchStep& s) const
        {
            placeSideBranches(s, time, [this](int level, float growth, float x, float y, float angle, float length) {
                sides.grow(level, growth, x, y, angle, length);
            });
        }
    };

    static constexpr int kDepth = 4;
    static constexpr int kSegmentsPerBranch = 20;
    static constexpr int kGroundColumns = 1000;
    static constexpr float kGroundStep = 0.03f;
    // The running off scene's length: the latest local time the branch is drawn at.
    static constexpr float kLongestTime = 33.0f;

    // Floats the branch buffer holds: countBranches(4) * 20 * 8.
    static int branchCapacity();

    // The ground strip: per column a top vertex on the wave and a bottom vertex at -2.
    static std::vector<float> makeGround();
    // The height the main branch steers against at x: the top of the column x
    // falls in, the first column left of the strip, the last one beyond it.
    static float groundHeightAt(const std::vector<float>& ground, float x);
    // Heading after steering at height `above` over the ground: above and
    // rising turns down by 0.3, on or below and level or falling turns up.
    static float steerTowardsGround(float angle, float above);
    // The camera's horizontal offset at local time t.
    static float cameraOffset(float t);

    // The main branch and its side branches appended to `into`, steering
    // against `ground`; `time` drives the sway. What generateMainBranch does
    // on the component's own buffer.
    static void growMainBranch(branching::BranchBuffer& into, const std::vector<float>& ground, float time, int level,
                               float growth, float x, float y, float angle, float length,
                               branching::NormalDraw draw = rndn);
    // One frame's branch into `into` from its start: srand(0), then the main
    // branch with the budget of time t and its side branches.
    static void generateFrame(branching::BranchBuffer& into, const std::vector<float>& ground, float t,
                              branching::NormalDraw draw = rndn);

private:
    void drawBranch();
    void drawInvertedBranch();
    void drawRectangle();
    void drawGround();

    const gfx::FastPaths paths;
    unsigned int bufferId = 0;
    int depth = kDepth;
    int segmentsPerBranch = kSegmentsPerBranch;
    float time = 0.0f;
    branching::BranchBuffer buffer;  // vertices, used, capacity
    unsigned int groundBuffer = 0;
    float groundStep = kGroundStep;
    std::vector<float> groundVertices;
    unsigned int rectangleBuffer = 0;
    RunningBranchReplay replay{kLongestTime};  // the generation from recorded draws
};
