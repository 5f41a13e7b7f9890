#pragma once

// The replay's SIMD part (growth/replay/ReplayBranches.h): the last levels of
// the branch frame's subtrees made side by side in the lanes of SSE registers.
//
// Sections: thirds of a segment | a fork, the state the lanes start from |
// the lanes: lastTwigs, lastForks, childLanes and their per-lane arithmetic.
//
// Each lane performs the scalar path's operations in its order (IEEE single
// and double operations give the same results in a lane as alone), and the
// segments are stored in the scalar order, so the result is the scalar one.

#include "growth/BranchGenerator.h"
#include "growth/replay/ExactTrig.h"
#include "growth/replay/ReplayLayout.h"

#include <cmath>

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

// ---------------------------------------------------------------------------
// Thirds of a segment.

// dx/3, dy/3, (dx + dx)/3 and (dy + dy)/3 in single precision: four divisions
// in one instruction where SSE is there, each lane rounded exactly as a single
// division.
struct Thirds
{
    float dx1, dy1, dx2, dy2;
};

inline Thirds thirds(float dx, float dy)
{
#if defined(__SSE__) || defined(_M_X64)
    alignas(16) Thirds out;
    _mm_store_ps(&out.dx1, _mm_div_ps(_mm_setr_ps(dx, dy, dx + dx, dy + dy), _mm_set1_ps(3.0f)));
    return out;
#else
    return {dx / 3.0f, dy / 3.0f, (dx + dx) / 3.0f, (dy + dy) / 3.0f};
#endif
}

// ---------------------------------------------------------------------------
// A fork: a branch whose own segment is made, about to make its children.

struct Fork
{
    const float* draws;          // the branch's own draw; its subtree's follow
    const CosSinApprox* turns;   // its subtree's first continuation turn
    float childGrowth;           // its growth less 1
    float x, y;                  // its segment's start ...
    float dx, dy;                // ... and extent
    Thirds along;                // where its side children start, from (x, y)
    float angle;                 // its heading
    CosSinApprox direction;      // cos and sin of `angle`, approximated
    float length;                // its length after growth and length factor
};

#if UMBRAFEN_TWIG_LANES

template <BranchKind kind>
class ReplayBranches;

// ---------------------------------------------------------------------------
// The lanes.

template <BranchKind kind>
class TwigLanes
{
public:
    using Layout = ReplayLayout<kind>;
    // What lastTwigs and lastForks may write: three twigs; three level-2
    // children and their three twigs each.
    static constexpr int kLastTwigsSegments = 3;
    static constexpr int kLastForksSegments = 3 * (1 + kLastTwigsSegments);

    // The rest of a level-2 branch, for the kind that rounds its trigonometry
    // from double: its two twigs and its continuation, which is a twig too.
    // The three share their growth and have no children, so they are made
    // side by side. The caller makes sure the buffer has room for all three.
    static void lastTwigs(ReplayBranches<kind>& replay, const Fork& fork)
    {
        if (!(fork.childGrowth > 0.0f))
            return;
        const ChildLanes lanes = childLanes(replay, Layout::drawCount(1), Layout::turnCount(1), fork);
        __m128 first = lanes.x0;
        __m128 second = lanes.y0;
        __m128 continuation = lanes.x1;
        __m128 unused = lanes.y1;
        _MM_TRANSPOSE4_PS(first, second, continuation, unused);  // now one segment per register
        BranchBuffer& buffer = replay.buffer;
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
    static void lastForks(ReplayBranches<kind>& replay, const Fork& fork)
    {
        constexpr const BranchVariant& variant = branchVariant(kind);
        const float growth = fork.childGrowth;
        if (!(growth > 0.0f))
            return;
        const ChildLanes lanes = childLanes(replay, Layout::drawCount(2), Layout::turnCount(2), fork);
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
        const float length = fork.length;
        const float nominal[3] = {length * variant.firstLength, length * variant.secondLength,
                                  length * variant.continuationLength};
        for (int i = 0; i < 3; ++i) {
            const float* own = lanes.draws[i];
            if (replay.culling && !replay.mayReachWindow(own, 2, x0[i], y0[i], nominal[i])) {
                replay.skipUnseenSubtree(2, growth);
                continue;
            }
            replay.buffer.appendSegment(x0[i], y0[i], x0[i] + dxs[i], y0[i] + dys[i]);
            lastTwigs(replay, Fork{own, lanes.turns[i], growth - 1.0f, x0[i], y0[i], dxs[i], dys[i],
                                   thirds(dxs[i], dys[i]), lanes.angles[i], CosSinApprox{cosines[i], sines[i]},
                                   lengths[i]});
        }
    }

private:
    struct CosSinLanes
    {
        __m128d c;
        __m128d s;
    };

    // The own segments of a fork's three children (lanes: first side, second
    // side, continuation; the fourth unused), `childDraws` being the draws of
    // one child's subtree, and what their subtrees go on from.
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

    // Two children's turns from their parent, one per lane: the widened
    // angles they turn to, the nominal turns and those turns' cos and sin.
    struct TurnLanes
    {
        __m128d turned;
        __m128d nominal;
        __m128d cosNominal;
        __m128d sinNominal;
    };

    static ChildLanes childLanes(const ReplayBranches<kind>& replay, int childDraws, int childTurns, const Fork& fork)
    {
        constexpr const BranchVariant& variant = branchVariant(kind);
        const float* d = fork.draws;
        const CosSinApprox* t = fork.turns;
        const float angle = fork.angle;
        const CosSinApprox& direction = fork.direction;
        // The side children's headings, (angle + side) + sway rounded to float
        // as the scalar path forms them; here rather than handed in with the
        // fork, where two floats stored apart and loaded as one pair would
        // stall the load. The rounding is an explicit conversion: GCC 12's
        // vectoriser has been seen to drop a float rounding between doubles.
        const __m128 sideAngles = _mm_cvtpd_ps(
            _mm_add_pd(_mm_add_pd(_mm_set1_pd(static_cast<double>(angle)),
                                  _mm_setr_pd(variant.firstAngle, variant.secondAngle)),
                       _mm_setr_pd(replay.firstSway, replay.secondSway)));
        const float firstAngle = _mm_cvtss_f32(sideAngles);
        const float secondAngle = _mm_cvtss_f32(_mm_shuffle_ps(sideAngles, sideAngles, 1));
        const double firstNominal = variant.firstAngle + replay.firstSway;
        const double secondNominal = variant.secondAngle + replay.secondSway;
        ChildLanes lanes;
        // Draws: each side's subtree, then the continuation's turn, then its own.
        const float* turnDraw = d + 1 + 2 * childDraws;
        lanes.draws[0] = d + 1;
        lanes.draws[1] = d + 1 + childDraws;
        lanes.draws[2] = turnDraw + 1;
        lanes.turns[0] = t;
        lanes.turns[1] = t + childTurns;
        lanes.turns[2] = t + 2 * childTurns + 1;
        const double turn = kContinuationTurn * static_cast<double>(*turnDraw);
        const float continuationAngle = static_cast<float>(static_cast<double>(angle) + turn);
        const CosSinApprox& turned = t[2 * childTurns];
        const CosSinApprox& firstTurn = replay.firstTurn;
        const CosSinApprox& secondTurn = replay.secondTurn;
        // The three directions, turned from the branch's: the two sides in
        // one pair of lanes, the continuation in the other.
        const bool rotated =
            turnedLanes(direction, angle,
                        TurnLanes{_mm_cvtps_pd(sideAngles),
                                  _mm_setr_pd(firstNominal, secondNominal), _mm_setr_pd(firstTurn.c, secondTurn.c),
                                  _mm_setr_pd(firstTurn.s, secondTurn.s)},
                        lanes.sides) &&
            turnedLanes(direction, angle,
                        TurnLanes{_mm_setr_pd(continuationAngle, angle), _mm_setr_pd(turn, 0.0),
                                  _mm_setr_pd(turned.c, 1.0), _mm_setr_pd(turned.s, 0.0)},
                        lanes.ahead);
        if (!rotated) {
            const CosSinApprox first =
                turnedCosSin(direction, angle, firstAngle, firstNominal, firstTurn.c, firstTurn.s);
            const CosSinApprox second =
                turnedCosSin(direction, angle, secondAngle, secondNominal, secondTurn.c, secondTurn.s);
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
        __m128 lengths = _mm_mul_ps(_mm_set1_ps(fork.length), shares);
        if (fork.childGrowth < 1.0f)
            lengths = _mm_mul_ps(lengths, _mm_set1_ps(fork.childGrowth));
        const __m128d lowLengths =
            _mm_mul_pd(_mm_cvtps_pd(lengths), lengthFactors(_mm_setr_pd(lanes.draws[0][0], lanes.draws[1][0])));
        const __m128d highLengths = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(lengths, lengths)),
                                               lengthFactors(_mm_setr_pd(lanes.draws[2][0], 0.0)));
        lanes.lengths = _mm_movelh_ps(_mm_cvtpd_ps(lowLengths), _mm_cvtpd_ps(highLengths));

        const Thirds& along = fork.along;
        lanes.x0 = _mm_add_ps(_mm_set1_ps(fork.x), _mm_setr_ps(along.dx1, along.dx2, fork.dx, 0.0f));
        lanes.y0 = _mm_add_ps(_mm_set1_ps(fork.y), _mm_setr_ps(along.dy1, along.dy2, fork.dy, 0.0f));
        lanes.dx = _mm_mul_ps(c, lanes.lengths);
        lanes.dy = _mm_mul_ps(s, lanes.lengths);
        lanes.x1 = _mm_add_ps(lanes.x0, lanes.dx);
        lanes.y1 = _mm_add_ps(lanes.y0, lanes.dy);

        // ViewWindow::mayTouch per lane; the operand order makes min and max
        // pick as std::min and std::max do.
        const gfx::ViewWindow& w = replay.buffer.window;
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
    static bool turnedLanes(const CosSinApprox& parent, float parentAngle, const TurnLanes& turn, CosSinLanes& out)
    {
        const __m128d e =
            _mm_sub_pd(_mm_sub_pd(turn.turned, _mm_set1_pd(static_cast<double>(parentAngle))), turn.nominal);
        const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), e);
        if (_mm_movemask_pd(_mm_cmple_pd(magnitude, _mm_set1_pd(exacttrig::kLargestTurnRemainder))) != 3)
            return false;
        const __m128d half = _mm_mul_pd(_mm_mul_pd(_mm_set1_pd(0.5), e), e);
        const __m128d cd = _mm_sub_pd(_mm_sub_pd(turn.cosNominal, _mm_mul_pd(turn.sinNominal, e)),
                                      _mm_mul_pd(turn.cosNominal, half));
        const __m128d sd = _mm_sub_pd(_mm_add_pd(turn.sinNominal, _mm_mul_pd(turn.cosNominal, e)),
                                      _mm_mul_pd(turn.sinNominal, half));
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

    // lengthFactor (growth/BranchGenerator.h) per lane, picking as std::min
    // and std::max do.
    static __m128d lengthFactors(__m128d r)
    {
        const __m128d f = _mm_add_pd(_mm_set1_pd(1.0), _mm_mul_pd(_mm_set1_pd(kLengthSpread), r));
        return _mm_min_pd(_mm_set1_pd(kLongestFactor), _mm_max_pd(_mm_set1_pd(kShortestFactor), f));
    }
};

#endif

} // namespace branching
