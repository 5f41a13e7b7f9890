#pragma once

// The main branch that the running branch and the branch frame lay down: a
// chain of segments, one per unit of growth budget, with generator branches
// hanging off each. Both components run the same loop; what differs between
// them comes in through a small "steps" object:
//
//   struct Steps
//   {
//       NormalDraw draw;                                     // rndn() in the program
//       float steer(float x, float y, float angle) const;     // new heading at a start point
//       SegmentDirection direction(float angle) const;        // cos and sin, in the precision it wants
//       void growSideBranches(const MainBranchStep& step) const;  // into the same buffer
//   };
//
// One step, with n the level, g the budget left, a the heading and len the
// nominal length:
//   stop if n <= 0 or g <= 0; shorten len by g when g < 1 (only the last step);
//   draw the segment length; steer; write the segment; grow the side branches;
//   turn by the random walk; stop if the buffer is full; move to the tip.
//
// Normal draws per step: the length and the walk, plus whatever the side
// branches draw (an even count from the generator), so a generation leaves the
// spare of rndn() as it found it. Allocates nothing.

#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"

namespace branching {

struct SegmentDirection
{
    float c;
    float s;
};

// What the side branches of one step need to know.
struct MainBranchStep
{
    int level;     // the main branch's level; side branches get one less
    float growth;  // budget left at this step; side branches get one less
    float x;       // start point of the segment
    float y;
    float angle;   // the segment's heading, after steering
    float length;  // nominal length (shortened on the last step), not the drawn one
    float dx;      // the drawn segment is (x, y) to (x + dx, y + dy)
    float dy;
};

// min(max(1 + 0.4 r, 0.2), 2) times `length`, all in single precision.
float mainSegmentLength(float r, float length);

// The heading after the random walk: angle + 0.2 r, formed in double precision
// and rounded to float.
float walkedAngle(float angle, float r);

// The growth budget at local time t: (1.2 t) / 0.15 in single precision, about
// eight main segments per second.
float mainBranchBudget(float t);

template <class Steps>
void generateMainBranch(BranchBuffer& buffer, const Steps& steps, int level, float growth, float x, float y,
                        float angle, float length)
{
    if (!buffer.hasRoomForSegment())
        return;
    for (;;) {
        if (level <= 0 || growth <= 0.0f)
            return;
        if (growth < 1.0f)
            length *= growth;
        const float segmentLength = mainSegmentLength(steps.draw(), length);
        angle = steps.steer(x, y, angle);
        const SegmentDirection d = steps.direction(angle);
        const float dx = d.c * segmentLength;
        const float dy = d.s * segmentLength;
        buffer.appendSegment(x, y, x + dx, y + dy);
        steps.growSideBranches(MainBranchStep{level, growth, x, y, angle, length, dx, dy});
        angle = walkedAngle(angle, steps.draw());
        if (!buffer.hasRoomForSegment())
            return;
        growth -= 1.0f;
        x += dx;
        y += dy;
    }
}

} // namespace branching
