#pragma once

// The recursive branch generator run from recorded draws (growth/replay/
// DrawTape.h): the same segments as branching::generateBranches, in the same
// order, for the real rndn().
//
// Sections: construction and grow() | growLevel, one branch and its subtree |
// culling: the reach check and the skip | a twig | a branch's own segment.
//
// What it saves, and why each saving is exact:
// - draws are read from the tape instead of computed: the tape holds the very
//   values rndn() would return, and where a branch's draws start follows from
//   the levels before it (growth/replay/ReplayLayout.h);
// - a subtree whose growth is 0 or less writes nothing (its growth only falls
//   further down), so it is skipped whole, and so is one whose reach misses
//   the buffer's window;
// - the branch frame's double-precision cos/sin come from growth/replay/
//   ExactTrig.h, which returns the library's floats;
// - the last levels under a level-2 or level-3 branch of that kind are made
//   side by side in SSE lanes (growth/replay/TwigLanes.h);
// - every other operation is the reference's, in the same precision and order,
//   with the constants the reference reads (growth/BranchGenerator.h).
//
// The reference stops writing when the buffer is full, and a full buffer also
// stops its draws. A replay therefore reports `overflow` as soon as it would
// write past the capacity; the caller must also reject a result that leaves no
// room for one more segment (the reference might have stopped early on the way;
// growth/replay/ReplayRun.h) and then run the reference instead. Below that,
// every capacity check of the reference passes and the two runs are the same.

#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"
#include "growth/replay/ExactTrig.h"
#include "growth/replay/ReplayLayout.h"
#include "growth/replay/TwigLanes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace branching {

template <BranchKind kind>
class ReplayBranches
{
public:
    // `next` points at the tape's next draw and is advanced past every draw the
    // generation makes. `time` drives the tree's sway, as in the reference.
    // `turns`, for the kind that rounds its trigonometry from double, points
    // at the next of the tape's continuation turns (collectContinuationTurns),
    // so that a continuation's direction is a rotation too, and is advanced
    // past every turn the generation makes.
    ReplayBranches(BranchBuffer& into, const float*& next, float time, const CosSinApprox** turns = nullptr)
        : buffer(into), draws(next), turnCursor(turns), firstSway(swayOffset(variant(), time, kFirstSwayRate)),
          secondSway(swayOffset(variant(), time, kSecondSwayRate)),
          continuationSway(swayOffset(variant(), time, kContinuationSwayRate)),
          firstTurn(turn(variant().firstAngle + firstSway)), secondTurn(turn(variant().secondAngle + secondSway)),
          culling(!variant().swaysWithTime && into.window.isBounded())
    {
    }

    // Whether the replay stopped at the capacity (or met a level too deep for
    // it): its result is then not the reference's.
    bool overflowed() const { return overflow; }

    void grow(int level, float growth, float x, float y, float angle, float length)
    {
        if (level >= Layout::kLevels) {
            overflow = true;  // deeper than any component grows: left to the reference
            return;
        }
        if (level <= 0)
            return;
        if constexpr (variant().doublePrecisionTrig)
            directions[static_cast<std::size_t>(level)] = approxCosSin(angle);
        const CosSinApprox* turns = turnCursor ? *turnCursor : nullptr;
        growLevel(draws, turns, level, growth, x, y, angle, length);
        draws += Layout::drawCount(level);
        if (turnCursor)
            *turnCursor += Layout::turnCount(level);
    }

private:
    using Layout = ReplayLayout<kind>;
#if UMBRAFEN_TWIG_LANES
    friend class TwigLanes<kind>;
    using Lanes = TwigLanes<kind>;
#endif

    static constexpr const BranchVariant& variant() { return branchVariant(kind); }
    static CosSinApprox turn(double angle) { return {std::cos(angle), std::sin(angle)}; }

    // directions[level] approximates the double-precision cos and sin of
    // `angle` for the kind that rounds them from double; the others ignore it.
    // (A slot per level rather than an argument: the two doubles travel as one
    // 16-byte value, which an argument split in two registers would stall.)
    // `d` points at the branch's own draw and `t` at its subtree's first
    // continuation turn; where each part of the subtree finds its draws and
    // turns follows from the levels alone, so nothing is counted on the way
    // (the caller advances past the whole subtree).
    void growLevel(const float* d, const CosSinApprox* t, int level, float growth, float x, float y, float angle,
                   float length)
    {
        constexpr const BranchVariant& v = variant();
        CosSinApprox direction{};
        if constexpr (v.doublePrecisionTrig)
            direction = directions[static_cast<std::size_t>(level)];
        for (;;) {
            if (level <= 0)
                return;
            if (!(growth > 0.0f))
                return;  // nothing below is written, continuation included
            if (culling && level >= 2 && !mayReachWindow(d, level, x, y, length)) {
                skipUnseenSubtree(level, growth);
                return;
            }
            if (!buffer.hasRoomForSegment()) {
                overflow = true;
                return;
            }
            const OwnSegment own = ownSegment(d[0], growth, angle, direction, length);
            length = own.length;
            const float dx = own.dx;
            const float dy = own.dy;
            buffer.appendSegment(x, y, x + dx, y + dy);

            if (level == 1)
                return;  // a twig: its children have level 0 and return at once

            const int childLevel = level - 1;
            const int childDraws = Layout::drawCount(childLevel);
            const int childTurns = Layout::turnCount(childLevel);
            const float* firstDraws = d + 1;
            const float* secondDraws = firstDraws + childDraws;
            const float* afterChildren = secondDraws + childDraws;
            const float childGrowth = growth - 1.0f;
            const double parentAngle = angle;
            const Thirds along = thirds(dx, dy);
#if UMBRAFEN_TWIG_LANES
            if constexpr (v.doublePrecisionTrig) {
                const auto fork = [&] {
                    return Fork{d, t, childGrowth, x, y, dx, dy, along, angle, direction, length};
                };
                if (childLevel == 1 && hasRoomFor(Lanes::kLastTwigsSegments)) {
                    Lanes::lastTwigs(*this, fork());
                    return;
                }
                if (childLevel == 2 && hasRoomFor(Lanes::kLastForksSegments)) {
                    Lanes::lastForks(*this, fork());
                    return;
                }
            }
#endif
            const float firstAngle = static_cast<float>(parentAngle + v.firstAngle + firstSway);
            const float secondAngle = static_cast<float>(parentAngle + v.secondAngle + secondSway);
            CosSinApprox& childDirection = directions[static_cast<std::size_t>(childLevel)];
            if constexpr (v.doublePrecisionTrig)
                childDirection =
                    turnedCosSin(direction, angle, firstAngle, v.firstAngle + firstSway, firstTurn.c, firstTurn.s);
            // Twigs are two thirds of a tree: written in place, without a call.
            if (childLevel == 1)
                twig(firstDraws, childGrowth, x + along.dx1, y + along.dy1, firstAngle, length * v.firstLength,
                     childDirection);
            else
                growLevel(firstDraws, t, childLevel, childGrowth, x + along.dx1, y + along.dy1, firstAngle,
                          length * v.firstLength);
            if constexpr (v.doublePrecisionTrig)
                childDirection = turnedCosSin(direction, angle, secondAngle, v.secondAngle + secondSway,
                                              secondTurn.c, secondTurn.s);
            if (childLevel == 1)
                twig(secondDraws, childGrowth, x + along.dx2, y + along.dy2, secondAngle, length * v.secondLength,
                     childDirection);
            else
                growLevel(secondDraws, t + childTurns, childLevel, childGrowth, x + along.dx2, y + along.dy2,
                          secondAngle, length * v.secondLength);

            if constexpr (v.doublePrecisionTrig) {
                const float parent = angle;
                const double turnAngle = kContinuationTurn * static_cast<double>(*afterChildren);
                angle = static_cast<float>(parentAngle + turnAngle);
                const CosSinApprox& turned = t[2 * childTurns];
                direction = turnedCosSin(direction, parent, angle, turnAngle, turned.c, turned.s);
                d = afterChildren + 1;
                t += 2 * childTurns + 1;
            } else if constexpr (v.randomContinuation) {
                angle = static_cast<float>(parentAngle + kContinuationTurn * static_cast<double>(*afterChildren));
                d = afterChildren + 1;
            } else {
                angle = static_cast<float>(parentAngle + continuationSway);
                d = afterChildren;
            }
            level = childLevel;
            growth = childGrowth;
            x = x + dx;
            y = y + dy;
            length = length * v.continuationLength;
        }
    }

    bool hasRoomFor(int segments) const { return buffer.used + segments * kFloatsPerSegment <= buffer.capacity; }

    // Whether any segment of the subtree starting at (x, y) with this nominal
    // length may meet the buffer's window: the subtree lies in the square of
    // its reach about its start, so if that square misses the window, so does
    // every segment's bounding box, and none would be kept.
    bool mayReachWindow(const float* d, int level, float x, float y, float length) const
    {
        // The branch's own length factor is its draw `d[0]` (lengthFactor in
        // single precision: only a bound); those below it are bounded by the
        // largest factor.
        const float factor = std::min(std::max(1.0f + static_cast<float>(kLengthSpread) * d[0],
                                               static_cast<float>(kShortestFactor)),
                                      static_cast<float>(kLongestFactor));
        const float reach =
            length * factor * Layout::kReachAfterFactor[static_cast<std::size_t>(level)] + Layout::kReachSlack;
        const gfx::ViewWindow& w = buffer.window;
        return (x - reach <= w.right) & (x + reach >= w.left) & (y - reach <= w.top) & (y + reach >= w.bottom);
    }

    // A subtree none of whose segments would be kept: its segments are
    // counted as made, as the reference makes them.
    void skipUnseenSubtree(int level, float growth)
    {
        // Branches at depth k are written while growth - k > 0, with growth
        // lowered by 1 per level in single precision as the reference does.
        int segments = 0;
        int branches = 1;
        for (int depth = 0; depth < level && growth > 0.0f; ++depth) {
            segments += branches;
            branches *= 3;
            growth = growth - 1.0f;
        }
        if (!hasRoomFor(segments)) {
            overflow = true;  // the reference would have stopped on the way
            return;
        }
        buffer.used += segments * kFloatsPerSegment;
    }

    // A branch of level 1, what growLevel does for it: its children have level
    // 0 and return at once, but the second draw is still made.
    void twig(const float* d, float growth, float x, float y, float angle, float length,
              const CosSinApprox& direction)
    {
        if (!(growth > 0.0f))
            return;
        if (!buffer.hasRoomForSegment()) {
            overflow = true;
            return;
        }
        // No reach check for a single segment: appendSegment keeps it only if
        // it may be seen, and computing it costs less than the check.
        const OwnSegment own = ownSegment(d[0], growth, angle, direction, length);
        buffer.appendSegment(x, y, x + own.dx, y + own.dy);
    }

    // A branch's own segment as the reference makes it: the nominal length
    // scaled by a growth below 1, then by the draw's length factor in double
    // precision and rounded; cos and sin of the heading in the kind's
    // precision (`direction` approximates them for the kind that rounds them
    // from double).
    struct OwnSegment
    {
        float dx;
        float dy;
        float length;
    };
    static OwnSegment ownSegment(float draw, float growth, float angle, const CosSinApprox& direction, float length)
    {
        if (growth < 1.0f)
            length *= growth;
        float c;
        float s;
        if constexpr (variant().doublePrecisionTrig) {
            c = roundedCos(direction.c, angle);
            s = roundedSin(direction.s, angle);
        } else {
            c = std::cos(angle);
            s = std::sin(angle);
        }
        length = static_cast<float>(static_cast<double>(length) * lengthFactor(draw));
        return {c * length, s * length, length};
    }

    BranchBuffer& buffer;
    const float*& draws;
    const CosSinApprox** turnCursor;
    double firstSway;
    double secondSway;
    double continuationSway;
    CosSinApprox firstTurn;  // cos and sin of the side branches' turns
    CosSinApprox secondTurn;
    std::array<CosSinApprox, Layout::kLevels> directions{};
    bool overflow = false;
    bool culling;  // skip subtrees that cannot reach the buffer's window
};

} // namespace branching
