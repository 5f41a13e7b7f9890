#include "growth/BranchGenerator.h"

#include <cmath>

namespace branching {

namespace {

struct Generation
{
    const BranchVariant& variant;
    BranchBuffer& buffer;
    NormalDraw draw;
    // Offsets added to the children's angles. They depend on time only, so one
    // generation computes them once; zero for the kinds that do not sway.
    double firstSway;
    double secondSway;
    double continuationSway;
};

void grow(const Generation& g, int level, float growth, float x, float y, float angle, float length)
{
    // The continuation runs as the next turn of this loop; it passes the same
    // entry checks as a recursive call would.
    for (;;) {
        if (!g.buffer.hasRoomForSegment())
            return;
        if (level <= 0)
            return;
        if (growth < 1.0f)
            length *= growth;

        float c;
        float s;
        if (g.variant.doublePrecisionTrig) {
            c = static_cast<float>(std::cos(static_cast<double>(angle)));
            s = static_cast<float>(std::sin(static_cast<double>(angle)));
        } else {
            c = std::cos(angle);
            s = std::sin(angle);
        }

        // Length factor in double precision, the scaled length rounded to float.
        length = static_cast<float>(static_cast<double>(length) * lengthFactor(g.draw()));

        const float dx = c * length;
        const float dy = s * length;
        if (growth > 0.0f)
            g.buffer.appendSegment(x, y, x + dx, y + dy);

        const int childLevel = level - 1;
        const float childGrowth = growth - 1.0f;
        // Child angles are formed in double precision and rounded; the start
        // fractions are single precision, as dx/3 and (dx + dx)/3.
        const double parentAngle = angle;
        grow(g, childLevel, childGrowth, x + dx / 3.0f, y + dy / 3.0f,
             static_cast<float>(parentAngle + g.variant.firstAngle + g.firstSway), length * g.variant.firstLength);
        grow(g, childLevel, childGrowth, x + (dx + dx) / 3.0f, y + (dy + dy) / 3.0f,
             static_cast<float>(parentAngle + g.variant.secondAngle + g.secondSway), length * g.variant.secondLength);

        // The second draw comes after both side subtrees, even when the
        // continuation will not grow, so the draw count stays even.
        if (g.variant.randomContinuation)
            angle = static_cast<float>(parentAngle + kContinuationTurn * static_cast<double>(g.draw()));
        else
            angle = static_cast<float>(parentAngle + g.continuationSway);
        level = childLevel;
        growth = childGrowth;
        x = x + dx;
        y = y + dy;
        length = length * g.variant.continuationLength;
    }
}

} // namespace

int countBranches(BranchKind kind, int n)
{
    const int k = branchVariant(kind).countFactor;
    int count = 1;
    for (int i = 0; i <= n; ++i)
        count = k * count + 1;
    return count;
}

void generateBranches(BranchKind kind, BranchBuffer& buffer, float time, int level, float growth, float x, float y,
                      float angle, float length, NormalDraw draw)
{
    const BranchVariant& variant = branchVariant(kind);
    const Generation g{variant,
                       buffer,
                       draw,
                       swayOffset(variant, time, kFirstSwayRate),
                       swayOffset(variant, time, kSecondSwayRate),
                       swayOffset(variant, time, kContinuationSwayRate)};
    grow(g, level, growth, x, y, angle, length);
}

} // namespace branching
