#pragma once

// The recursive branch generator run from recorded draws (growth/DrawTape.h):
// the same segments as branching::generateBranches, in the same order, for the
// real rndn().
//
// What it saves, and why each saving is exact:
// - draws are read from the tape instead of computed: the tape holds the very
//   values rndn() would return, and where a branch's draws start follows from
//   the levels before it;
// - a subtree whose growth is 0 or less writes nothing (its growth only falls
//   further down), so it is skipped whole, and so is one whose reach misses
//   the buffer's window;
// - the branch frame's double-precision cos/sin come from growth/ExactTrig.h,
//   which returns the library's floats;
// - the last three segments under a level-2 branch of that kind (its two
//   twigs and its continuation) are made side by side in SSE lanes;
// - every other operation is the reference's, in the same precision and order.
//
// The reference stops writing when the buffer is full, and a full buffer also
// stops its draws. A replay therefore reports `overflow` as soon as it would
// write past the capacity; the caller must also reject a result that leaves no
// room for one more segment (the reference might have stopped early on the way)
// and then run the reference instead. Below that, every capacity check of the
// reference passes and the two runs are the same.

#include "growth/BranchBuffer.h"
#include "growth/BranchGenerator.h"
#include "growth/ExactTrig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define UMBRAFEN_TWIG_LANES 1
#else
#define UMBRAFEN_TWIG_LANES 0
#endif
#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace branching {

// The draws one generation of `level` makes: one per branch for the tree, two
// for the others, over the (3^level - 1) / 2 branches it visits.
constexpr int generationDrawCount(BranchKind kind, int level)
{
    int branches = 0;
    for (int i = 0; i < level; ++i)
        branches = 3 * branches + 1;
    return branchVariant(kind).randomContinuation ? 2 * branches : branches;
}

// The continuation turns whose cos and sin a generation of `level` looks up
// (ReplayBranches' `turns`): one per branch of level 2 or more, whose second
// draw turns its continuation, for the kind that rounds its trigonometry from
// double; none for the others.
constexpr int continuationTurnCount(BranchKind kind, int level)
{
    if (!branchVariant(kind).doublePrecisionTrig)
        return 0;
    int turns = 0;
    for (int i = 2; i <= level; ++i)
        turns = 3 * turns + 1;
    return turns;
}

// Appends cos and sin of 0.2 times each continuation turn of the generation of
// `level` whose draws start at `d`, in the order the replay looks them up: the
// first side's, the second side's, the branch's own, the continuation's.
template <BranchKind kind>
void collectContinuationTurns(const float* d, int level, std::vector<CosSinApprox>& out)
{
    static_assert(branchVariant(kind).doublePrecisionTrig && branchVariant(kind).randomContinuation,
                  "only the kind that rounds its trigonometry from double looks turns up");
    if (level < 2)
        return;
    const int child = generationDrawCount(kind, level - 1);
    collectContinuationTurns<kind>(d + 1, level - 1, out);
    collectContinuationTurns<kind>(d + 1 + child, level - 1, out);
    const double turn = 0.2 * static_cast<double>(d[1 + 2 * child]);
    out.push_back({std::cos(turn), std::sin(turn)});
    collectContinuationTurns<kind>(d + 2 + 2 * child, level - 1, out);
}

// Whether the replay stopped short of the reference's result.
inline bool replayFellShort(const BranchBuffer& buffer, bool overflow)
{
    return overflow || !buffer.hasRoomForSegment();
}

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
        : buffer(into), draws(next), turnCursor(turns), firstSway(sway(time, 0.76543)), secondSway(sway(time, 0.9132)),
          continuationSway(sway(time, 1.2132)), firstTurn(turn(variant().firstAngle + firstSway)),
          secondTurn(turn(variant().secondAngle + secondSway)),
          culling(!branchVariant(kind).swaysWithTime && into.window.isBounded())
    {
    }

    // Whether the replay stopped at the capacity (or met a level too deep for
    // it): its result is then not the reference's.
    bool overflowed() const { return overflow; }

    void grow(int level, float growth, float x, float y, float angle, float length)
    {
        if (level >= kLevels) {
            overflow = true;  // deeper than any component grows: left to the reference
            return;
        }
        if (level <= 0)
            return;
        if constexpr (branchVariant(kind).doublePrecisionTrig)
            directions[static_cast<std::size_t>(level)] = approxCosSin(angle);
        const CosSinApprox* turns = turnCursor ? *turnCursor : nullptr;
        growLevel(draws, turns, level, growth, x, y, angle, length);
        draws += kDrawCounts[static_cast<std::size_t>(level)];
        if (turnCursor)
            *turnCursor += kTurnCounts[static_cast<std::size_t>(level)];
    }

private:
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
        constexpr const BranchVariant& variant = branchVariant(kind);
        CosSinApprox direction{};
        if constexpr (variant.doublePrecisionTrig)
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
            if (growth < 1.0f)
                length *= growth;

            float c;
            float s;
            if constexpr (variant.doublePrecisionTrig) {
                c = roundedCos(direction.c, angle);
                s = roundedSin(direction.s, angle);
            } else {
                c = std::cos(angle);
                s = std::sin(angle);
            }

            length = static_cast<float>(static_cast<double>(length) * lengthFactor(d[0]));

            const float dx = c * length;
            const float dy = s * length;
            buffer.appendSegment(x, y, x + dx, y + dy);

            if (level == 1)
                return;  // a twig: its children have level 0 and return at once

            const int childLevel = level - 1;
            const int childDraws = kDrawCounts[static_cast<std::size_t>(childLevel)];
            const int childTurns = kTurnCounts[static_cast<std::size_t>(childLevel)];
            const float* firstDraws = d + 1;
            const float* secondDraws = firstDraws + childDraws;
            const float* afterChildren = secondDraws + childDraws;
            const float childGrowth = growth - 1.0f;
            const double parentAngle = angle;
            const Thirds along = thirds(dx, dy);
            const float firstAngle = static_cast<float>(parentAngle + variant.firstAngle + firstSway);
            const float secondAngle = static_cast<float>(parentAngle + variant.secondAngle + secondSway);
#if UMBRAFEN_TWIG_LANES
            if constexpr (variant.doublePrecisionTrig) {
                if (childLevel == 1 && buffer.used + kLastTwigsSegments * kFloatsPerSegment <= buffer.capacity) {
                    lastTwigs(d, t, childGrowth, x, y, dx, dy, along, angle, firstAngle, secondAngle, direction,
                              length);
                    return;
                }
                if (childLevel == 2 && buffer.used + kLastForksSegments * kFloatsPerSegment <= buffer.capacity) {
                    lastForks(d, t, childGrowth, x, y, dx, dy, along, angle, firstAngle, secondAngle, direction,
                              length);
                    return;
                }
            }
#endif
            CosSinApprox& childDirection = directions[static_cast<std::size_t>(childLevel)];
            if constexpr (variant.doublePrecisionTrig)
                childDirection = turnedCosSin(direction, angle, firstAngle, variant.firstAngle + firstSway,
                                              firstTurn.c, firstTurn.s);
            // Twigs are two thirds of a tree: written in place, without a call.
            if (childLevel == 1)
                twig(firstDraws, childGrowth, x + along.dx1, y + along.dy1, firstAngle, length * variant.firstLength,
                     childDirection);
            else
                growLevel(firstDraws, t, childLevel, childGrowth, x + along.dx1, y + along.dy1, firstAngle,
                          length * variant.firstLength);
            if constexpr (variant.doublePrecisionTrig)
                childDirection = turnedCosSin(direction, angle, secondAngle, variant.secondAngle + secondSway,
                                              secondTurn.c, secondTurn.s);
            if (childLevel == 1)
                twig(secondDraws, childGrowth, x + along.dx2, y + along.dy2, secondAngle,
                     length * variant.secondLength, childDirection);
            else
                growLevel(secondDraws, t + childTurns, childLevel, childGrowth, x + along.dx2, y + along.dy2,
                          secondAngle, length * variant.secondLength);

            if constexpr (variant.doublePrecisionTrig) {
                const float parent = angle;
                const double turn = 0.2 * static_cast<double>(*afterChildren);
                angle = static_cast<float>(parentAngle + turn);
                const CosSinApprox& turned = t[2 * childTurns];
                direction = turnedCosSin(direction, parent, angle, turn, turned.c, turned.s);
                d = afterChildren + 1;
                t += 2 * childTurns + 1;
            } else if constexpr (variant.randomContinuation) {
                angle = static_cast<float>(parentAngle + 0.2 * static_cast<double>(*afterChildren));
                d = afterChildren + 1;
            } else {
                angle = static_cast<float>(parentAngle + continuationSway);
                d = afterChildren;
            }
            level = childLevel;
            growth = childGrowth;
            x = x + dx;
            y = y + dy;
            length = length * variant.continuationLength;
        }
    }

    // Whether any segment of the subtree starting at (x, y) with this nominal
    // length may meet the buffer's window: the subtree lies in the square of
    // its reach about its start, so if that square misses the window, so does
    // every segment's bounding box, and none would be kept.
    bool mayReachWindow(const float* d, int level, float x, float y, float length) const
    {
        // The branch's own length factor is its draw `d[0]`; only those below
        // it are bounded by the largest factor.
        const float factor = std::min(std::max(1.0f + 0.2f * d[0], 0.5f), 1.5f);
        const float reach = length * factor * kReachAfterFactor[static_cast<std::size_t>(level)] + kReachSlack;
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
        if (buffer.used + segments * kFloatsPerSegment > buffer.capacity) {
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
        constexpr const BranchVariant& variant = branchVariant(kind);
        if (!(growth > 0.0f))
            return;
        if (!buffer.hasRoomForSegment()) {
            overflow = true;
            return;
        }
        // No reach check for a single segment: appendSegment keeps it only if
        // it may be seen, and computing it costs less than the check.
        if (growth < 1.0f)
            length *= growth;
        float c;
        float s;
        if constexpr (variant.doublePrecisionTrig) {
            c = roundedCos(direction.c, angle);
            s = roundedSin(direction.s, angle);
        } else {
            c = std::cos(angle);
            s = std::sin(angle);
        }
        length = static_cast<float>(static_cast<double>(length) * lengthFactor(d[0]));
        const float dx = c * length;
        const float dy = s * length;
        buffer.appendSegment(x, y, x + dx, y + dy);
    }

    // A branch's length factor from its draw r: min(max(1 + 0.2 r, 0.5), 1.5)
    // in double, as the reference computes it.
    static double lengthFactor(double r) { return std::min(std::max(1.0 + 0.2 * r, 0.5), 1.5); }

    // dx/3, dy/3, (dx + dx)/3 and (dy + dy)/3 in single precision: four
    // divisions in one instruction where SSE is there, each lane rounded
    // exactly as a single division.
    struct Thirds
    {
        float dx1, dy1, dx2, dy2;
    };
    static Thirds thirds(float dx, float dy)
    {
#if defined(__SSE__) || defined(_M_X64)
        alignas(16) Thirds out;
        _mm_store_ps(&out.dx1, _mm_div_ps(_mm_setr_ps(dx, dy, dx + dx, dy + dy), _mm_set1_ps(3.0f)));
        return out;
#else
        return {dx / 3.0f, dy / 3.0f, (dx + dx) / 3.0f, (dy + dy) / 3.0f};
#endif
    }

#if UMBRAFEN_TWIG_LANES
    // The rest of a level-2 branch, for the kind that rounds its trigonometry
    // from double: its two twigs and its continuation, which is a twig too.
    // The three share their growth and have no children, so they are made
    // side by side in the lanes of SSE registers, each lane with the scalar
    // path's operations in its order (IEEE single and double operations give
    // the same results in a lane as alone), and stored in the scalar order.
    // The caller makes sure the buffer has room for all three.
    void lastTwigs(const float* d, const CosSinApprox* t, float growth, float x, float y, float dx, float dy,
                   const Thirds& along, float angle, float firstAngle, float secondAngle,
                   const CosSinApprox& direction, float length)
    {
        if (!(growth > 0.0f))
            return;
        const ChildLanes lanes = childLanes(kDrawCounts[1], kTurnCounts[1], d, t, growth, x, y, dx, dy, along, angle,
                                            firstAngle, secondAngle, direction, length);
        __m128 first = lanes.x0;
        __m128 second = lanes.y0;
        __m128 continuation = lanes.x1;
        __m128 unused = lanes.y1;
        _MM_TRANSPOSE4_PS(first, second, continuation, unused);  // now one segment per register
        float* out = buffer.vertices + buffer.kept;
        _mm_storeu_ps(out, first);
        out += (lanes.seen & 1) ? kFloatsPerSegment : 0;
        _mm_storeu_ps(out, second);
        out += (lanes.seen & 2) ? kFloatsPerSegment : 0;
        _mm_storeu_ps(out, continuation);
        out += (lanes.seen & 4) ? kFloatsPerSegment : 0;
        buffer.kept = static_cast<int>(out - buffer.vertices);
        buffer.used += kLastTwigsSegments * kFloatsPerSegment;
    }

    // The rest of a level-3 branch of that kind: its three level-2 children
    // (two sides and the continuation), their own segments made side by side
    // as in lastTwigs, then each child's subtree in the scalar order: its
    // reach check, its segment, its three twigs. The caller makes sure the
    // buffer has room for all twelve segments.
    void lastForks(const float* d, const CosSinApprox* t, float growth, float x, float y, float dx, float dy,
                   const Thirds& along, float angle, float firstAngle, float secondAngle,
                   const CosSinApprox& direction, float length)
    {
        constexpr const BranchVariant& variant = branchVariant(kind);
        if (!(growth > 0.0f))
            return;
        const ChildLanes lanes = childLanes(kDrawCounts[2], kTurnCounts[2], d, t, growth, x, y, dx, dy, along, angle,
                                            firstAngle, secondAngle, direction, length);
        alignas(16) float x0[4];
        alignas(16) float y0[4];
        alignas(16) float dxs[4];
        alignas(16) float dys[4];
        alignas(16) float lengths[4];
        alignas(16) double cosines[4];
        alignas(16) double sines[4];
        _mm_store_ps(x0, lanes.x0);
        _mm_store_ps(y0, lanes.y0);
        _mm_store_ps(dxs, lanes.dx);
        _mm_store_ps(dys, lanes.dy);
        _mm_store_ps(lengths, lanes.lengths);
        _mm_store_pd(cosines, lanes.sides.c);
        _mm_store_pd(cosines + 2, lanes.ahead.c);
        _mm_store_pd(sines, lanes.sides.s);
        _mm_store_pd(sines + 2, lanes.ahead.s);
        const float nominal[3] = {length * variant.firstLength, length * variant.secondLength,
                                  length * variant.continuationLength};
        for (int i = 0; i < 3; ++i) {
            const float* own = lanes.draws[i];
            if (culling && !mayReachWindow(own, 2, x0[i], y0[i], nominal[i])) {
                skipUnseenSubtree(2, growth);
                continue;
            }
            buffer.appendSegment(x0[i], y0[i], x0[i] + dxs[i], y0[i] + dys[i]);
            const double parentAngle = lanes.angles[i];
            lastTwigs(own, lanes.turns[i], growth - 1.0f, x0[i], y0[i], dxs[i], dys[i], thirds(dxs[i], dys[i]),
                      lanes.angles[i], static_cast<float>(parentAngle + variant.firstAngle + firstSway),
                      static_cast<float>(parentAngle + variant.secondAngle + secondSway),
                      CosSinApprox{cosines[i], sines[i]}, lengths[i]);
        }
    }

    struct CosSinLanes
    {
        __m128d c;
        __m128d s;
    };

    // The own segments of a branch's three children (lanes: first side,
    // second side, continuation; the fourth unused), `childDraws` being the
    // draws of one child's subtree, and what their subtrees go on from.
    struct ChildLanes
    {
        __m128 x0, y0;       // starts
        __m128 dx, dy;       // the segments, as the scalar path's dx and dy
        __m128 x1, y1;       // ends, x0 + dx and y0 + dy
        __m128 lengths;      // lengths after the growth and the draw's factor
        CosSinLanes sides;   // directions of the first and second sides
        CosSinLanes ahead;   // direction of the continuation (and an unused lane)
        float angles[3];
        const float* draws[3];  // each child's own draw
        const CosSinApprox* turns[3];  // each child's first continuation turn
        int seen;            // which segments may be seen (ViewWindow::mayTouch)
    };

    ChildLanes childLanes(int childDraws, int childTurns, const float* d, const CosSinApprox* t, float growth,
                          float x, float y, float dx, float dy, const Thirds& along, float angle, float firstAngle,
                          float secondAngle, const CosSinApprox& direction, float length) const
    {
        constexpr const BranchVariant& variant = branchVariant(kind);
        ChildLanes lanes;
        // Draws: each side's subtree, then the continuation's turn, then its own.
        const float* turnDraw = d + 1 + 2 * childDraws;
        lanes.draws[0] = d + 1;
        lanes.draws[1] = d + 1 + childDraws;
        lanes.draws[2] = turnDraw + 1;
        lanes.turns[0] = t;
        lanes.turns[1] = t + childTurns;
        lanes.turns[2] = t + 2 * childTurns + 1;
        const double turn = 0.2 * static_cast<double>(*turnDraw);
        const float continuationAngle = static_cast<float>(static_cast<double>(angle) + turn);
        const CosSinApprox& turned = t[2 * childTurns];
        // The three directions, turned from the branch's: the two sides in
        // one pair of lanes, the continuation in the other.
        const bool rotated =
            turnedLanes(direction, angle, _mm_setr_pd(firstAngle, secondAngle),
                        _mm_setr_pd(variant.firstAngle + firstSway, variant.secondAngle + secondSway),
                        _mm_setr_pd(firstTurn.c, secondTurn.c), _mm_setr_pd(firstTurn.s, secondTurn.s), lanes.sides) &&
            turnedLanes(direction, angle, _mm_setr_pd(continuationAngle, angle), _mm_setr_pd(turn, 0.0),
                        _mm_setr_pd(turned.c, 1.0), _mm_setr_pd(turned.s, 0.0), lanes.ahead);
        if (!rotated) {
            const CosSinApprox first =
                turnedCosSin(direction, angle, firstAngle, variant.firstAngle + firstSway, firstTurn.c, firstTurn.s);
            const CosSinApprox second = turnedCosSin(direction, angle, secondAngle, variant.secondAngle + secondSway,
                                                     secondTurn.c, secondTurn.s);
            const CosSinApprox continuation =
                turnedCosSin(direction, angle, continuationAngle, turn, turned.c, turned.s);
            lanes.sides = {_mm_setr_pd(first.c, second.c), _mm_setr_pd(first.s, second.s)};
            lanes.ahead = {_mm_setr_pd(continuation.c, 1.0), _mm_setr_pd(continuation.s, 0.0)};
        }
        lanes.angles[0] = firstAngle;
        lanes.angles[1] = secondAngle;
        lanes.angles[2] = continuationAngle;

        const __m128 c = roundedLanes(lanes.sides.c, lanes.ahead.c, lanes.angles, cosOf);
        const __m128 s = roundedLanes(lanes.sides.s, lanes.ahead.s, lanes.angles, sinOf);

        const __m128 shares =
            _mm_setr_ps(variant.firstLength, variant.secondLength, variant.continuationLength, 0.0f);
        __m128 lengths = _mm_mul_ps(_mm_set1_ps(length), shares);
        if (growth < 1.0f)
            lengths = _mm_mul_ps(lengths, _mm_set1_ps(growth));
        const __m128d lowLengths =
            _mm_mul_pd(_mm_cvtps_pd(lengths), lengthFactors(_mm_setr_pd(lanes.draws[0][0], lanes.draws[1][0])));
        const __m128d highLengths = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(lengths, lengths)),
                                               lengthFactors(_mm_setr_pd(lanes.draws[2][0], 0.0)));
        lanes.lengths = _mm_movelh_ps(_mm_cvtpd_ps(lowLengths), _mm_cvtpd_ps(highLengths));

        lanes.x0 = _mm_add_ps(_mm_set1_ps(x), _mm_setr_ps(along.dx1, along.dx2, dx, 0.0f));
        lanes.y0 = _mm_add_ps(_mm_set1_ps(y), _mm_setr_ps(along.dy1, along.dy2, dy, 0.0f));
        lanes.dx = _mm_mul_ps(c, lanes.lengths);
        lanes.dy = _mm_mul_ps(s, lanes.lengths);
        lanes.x1 = _mm_add_ps(lanes.x0, lanes.dx);
        lanes.y1 = _mm_add_ps(lanes.y0, lanes.dy);

        // ViewWindow::mayTouch per lane; the operand order makes min and max
        // pick as std::min and std::max do.
        const gfx::ViewWindow& w = buffer.window;
        const __m128 xs = _mm_and_ps(_mm_cmple_ps(_mm_min_ps(lanes.x1, lanes.x0), _mm_set1_ps(w.right)),
                                     _mm_cmpge_ps(_mm_max_ps(lanes.x1, lanes.x0), _mm_set1_ps(w.left)));
        const __m128 ys = _mm_and_ps(_mm_cmple_ps(_mm_min_ps(lanes.y1, lanes.y0), _mm_set1_ps(w.top)),
                                     _mm_cmpge_ps(_mm_max_ps(lanes.y1, lanes.y0), _mm_set1_ps(w.bottom)));
        lanes.seen = _mm_movemask_ps(_mm_and_ps(xs, ys));
        return lanes;
    }

    // turnedCosSin for two children of the same branch, one per lane, with the
    // same operations in the same order. False, leaving `out` alone, when a
    // lane's remainder is too large for the rotation (turnedCosSin would start
    // afresh there).
    static bool turnedLanes(const CosSinApprox& parent, float parentAngle, __m128d turnedAngles, __m128d nominals,
                            __m128d cosNominals, __m128d sinNominals, CosSinLanes& out)
    {
        const __m128d e =
            _mm_sub_pd(_mm_sub_pd(turnedAngles, _mm_set1_pd(static_cast<double>(parentAngle))), nominals);
        const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), e);
        if (_mm_movemask_pd(_mm_cmple_pd(magnitude, _mm_set1_pd(exacttrig::kLargestTurnRemainder))) != 3)
            return false;
        const __m128d half = _mm_mul_pd(_mm_mul_pd(_mm_set1_pd(0.5), e), e);
        const __m128d cd =
            _mm_sub_pd(_mm_sub_pd(cosNominals, _mm_mul_pd(sinNominals, e)), _mm_mul_pd(cosNominals, half));
        const __m128d sd =
            _mm_sub_pd(_mm_add_pd(sinNominals, _mm_mul_pd(cosNominals, e)), _mm_mul_pd(sinNominals, half));
        const __m128d pc = _mm_set1_pd(parent.c);
        const __m128d ps = _mm_set1_pd(parent.s);
        out.c = _mm_sub_pd(_mm_mul_pd(pc, cd), _mm_mul_pd(ps, sd));
        out.s = _mm_add_pd(_mm_mul_pd(ps, cd), _mm_mul_pd(pc, sd));
        return true;
    }

    static float cosOf(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
    static float sinOf(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

    // roundedCos / roundedSin for three lanes (the fourth is unused): the
    // approximations rounded to float where that is certain, the library's
    // value for a lane where it is not.
    static __m128 roundedLanes(__m128d low, __m128d high, const float (&angles)[3], float (*library)(float))
    {
        const __m128d tolerance = _mm_set1_pd(exacttrig::kTolerance);
        const __m128 rounded = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
        const __m128 below =
            _mm_movelh_ps(_mm_cvtpd_ps(_mm_sub_pd(low, tolerance)), _mm_cvtpd_ps(_mm_sub_pd(high, tolerance)));
        const __m128 above =
            _mm_movelh_ps(_mm_cvtpd_ps(_mm_add_pd(low, tolerance)), _mm_cvtpd_ps(_mm_add_pd(high, tolerance)));
        const int safe = _mm_movemask_ps(_mm_and_ps(_mm_cmpeq_ps(below, rounded), _mm_cmpeq_ps(above, rounded)));
        if ((safe & 7) == 7)
            return rounded;
        alignas(16) float lanes[4];
        _mm_store_ps(lanes, rounded);
        for (int i = 0; i < 3; ++i) {
            if (!(safe & (1 << i)))
                lanes[i] = library(angles[i]);
        }
        return _mm_load_ps(lanes);
    }

    // lengthFactor per lane, picking as std::min and std::max do.
    static __m128d lengthFactors(__m128d r)
    {
        const __m128d f = _mm_add_pd(_mm_set1_pd(1.0), _mm_mul_pd(_mm_set1_pd(0.2), r));
        return _mm_min_pd(_mm_set1_pd(1.5), _mm_max_pd(_mm_set1_pd(0.5), f));
    }
#endif

    static constexpr int kLevels = 16;
    // What lastTwigs and lastForks may write: three twigs; three level-2
    // children and their three twigs each.
    static constexpr int kLastTwigsSegments = 3;
    static constexpr int kLastForksSegments = 3 * (1 + kLastTwigsSegments);
    static constexpr auto kTurnCounts = [] {
        std::array<int, kLevels> counts{};
        for (int level = 0; level < kLevels; ++level)
            counts[static_cast<std::size_t>(level)] = continuationTurnCount(kind, level);
        return counts;
    }();
    static constexpr auto kDrawCounts = [] {
        std::array<int, kLevels> counts{};
        for (int level = 0; level < kLevels; ++level)
            counts[static_cast<std::size_t>(level)] = generationDrawCount(kind, level);
        return counts;
    }();

    // How far a subtree of a level reaches from its start, per unit of its
    // branch's actual length (after its length factor): each child starts on
    // the branch and reaches as far by its own share of the length, the
    // children's factors being at most 1.5. Only for the kinds that do not
    // sway with time.
    static constexpr auto kReachAfterFactor = [] {
        constexpr const BranchVariant& v = branchVariant(kind);
        constexpr double kLongest = 1.5;
        std::array<float, kLevels> reach{};
        double below = 0.0;
        for (int level = 1; level < kLevels; ++level) {
            double r = 1.0;
            r = std::max(r, 1.0 / 3.0 + static_cast<double>(v.firstLength) * below);
            r = std::max(r, 2.0 / 3.0 + static_cast<double>(v.secondLength) * below);
            r = std::max(r, 1.0 + static_cast<double>(v.continuationLength) * below);
            // A little more, for the rounding of the positions on the way.
            reach[static_cast<std::size_t>(level)] = static_cast<float>(r * (1.0 + 1e-4));
            below = kLongest * r;
        }
        return reach;
    }();
    static constexpr float kReachSlack = 1e-5f;

    static constexpr const BranchVariant& variant() { return branchVariant(kind); }
    static CosSinApprox turn(double angle) { return {std::cos(angle), std::sin(angle)}; }

    static double sway(float time, double rate)
    {
        if constexpr (!branchVariant(kind).swaysWithTime)
            return 0.0;
        return 0.05 * std::sin(static_cast<double>(time) * rate);
    }

    BranchBuffer& buffer;
    const float*& draws;
    const CosSinApprox** turnCursor;
    double firstSway;
    double secondSway;
    double continuationSway;
    CosSinApprox firstTurn;  // cos and sin of the side branches' turns
    CosSinApprox secondTurn;
    std::array<CosSinApprox, kLevels> directions{};
    bool overflow = false;
    bool culling;  // skip subtrees that cannot reach the buffer's window
};

} // namespace branching
