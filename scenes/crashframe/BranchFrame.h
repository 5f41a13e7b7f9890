#pragma once

// One of the four branches of the crash frame scene: it grows out of the
// centre of the view in its start direction, about eight segments per second,
// and once outside the unit circle keeps turning counter-clockwise, so it runs
// along the circle as a frame. Two side branches per segment sway at random
// rates. Regenerated every frame from a seed made of the start angle's bits
// and drawn as smooth translucent white lines.
//
// The generation is pure: generateFrame() writes one frame's branch into any
// BranchBuffer, so tests and benchmarks run it on plain memory.

#include "gfx/FastPaths.h"
#include "gfx/ISceneComponent.h"
#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"
#include "growth/MainBranch.h"
#include "scenes/crashframe/BranchFrameReplay.h"

#include <cmath>

class BranchFrame : public ISceneComponent
{
public:
    BranchFrame(float startAngle, const gfx::FastPaths& paths);  // needs a current GL context
    ~BranchFrame() override;
    void draw(float t) override;

    int countBranches(int n) const;
    void generateBranches(int level, float growth, float x, float y, float angle, float length);
    void generateMainBranch(int level, float growth, float x, float y, float angle, float length);

    // --- Pure pieces, no GL ---

    // Places one main step's two side branches and hands each to `grow`
    // (level, growth, x, y, angle, length): a third and two thirds along, at
    // +-0.4 rad, each swaying at a rate from `uniform`; the second rate is drawn
    // only after the first subtree is complete. Shared by the straightforward
    // and the replayed generation.
    template <class Uniform, class Grow>
    static void placeSideBranches(const branching::MainBranchStep& s, float time, Uniform&& uniform, Grow&& grow)
    {
        constexpr double kSideAngle = 0.4;
        constexpr double kSwayAmplitude = 0.2;
        // The sway's phase and sine are single precision; the angle is formed
        // in double and rounded.
        const auto sideAngle = [&](double side, float rate) {
            const float sway = std::sin(rate * time);
            return static_cast<float>(static_cast<double>(s.angle) + side +
                                      kSwayAmplitude * static_cast<double>(sway));
        };
        const int level = s.level - 1;
        const float growth = s.growth - 1.0f;
        const float length = s.length * 3.0f * 0.25f;
        const float firstRate = uniform();
        grow(level, growth, s.x + s.dx / 3.0f, s.y + s.dy / 3.0f, sideAngle(kSideAngle, firstRate), length);
        const float secondRate = uniform();
        grow(level, growth, s.x + (s.dx + s.dx) / 3.0f, s.y + (s.dy + s.dy) / 3.0f, sideAngle(-kSideAngle, secondRate),
             length);
    }

    static constexpr int kDepth = 6;
    static constexpr int kSegmentsPerBranch = 10;
    // The main branch's nominal segment length, for the generation and its replay.
    static constexpr float kSegmentLength = 0.15f;
    // The crash frame scene's length: the latest local time a frame is drawn at.
    static constexpr float kLongestTime = 15.0f;

    // Floats the branch buffer holds: countBranches(6) * 10 * 4.
    static int branchCapacity();
    // The seed is the start angle's IEEE-754 bit pattern, not the angle as an integer.
    static unsigned int seedFor(float startAngle);
    // Heading at a start point: turned by 0.8 rad while outside the unit circle.
    static float bendAlongCircle(float x, float y, float angle);

    using UniformDraw = float (*)();
    // The main branch and its side branches appended to `into`; `time` drives
    // the sway. What generateMainBranch does on the component's own buffer.
    static void growMainBranch(branching::BranchBuffer& into, float time, int level, float growth, float x, float y,
                               float angle, float length, branching::NormalDraw normal = rndn,
                               UniformDraw uniform = rnd);
    // One frame's branch into `into` from its start: srand(seed), then the
    // main branch with the budget of time t and its side branches.
    static void generateFrame(branching::BranchBuffer& into, float startAngle, float t,
                              branching::NormalDraw normal = rndn, UniformDraw uniform = rnd);

private:
    const gfx::FastPaths paths;
    unsigned int bufferId = 0;
    branching::BranchBuffer buffer;  // vertices, used, capacity
    int depth = kDepth;
    int segmentsPerBranch = kSegmentsPerBranch;
    float startAngle = 0.0f;
    float time = 0.0f;
    BranchFrameReplay replay;  // the generation from recorded draws
};
