#include "scenes/fallingdrops/RingCost.h"

#include "gfx/ShapeVertices.h"

#include <cstdlib>

// ---------------------------------------------------------------------------
// Where a ring reaches.

RingReach ringReach(const gfx::ViewWindow& view, int segments, float x, float y, float r)
{
    // The rim vertices lie on the circles r and 2r (rounded to float): the
    // shape lies within the outer circle, and its hole holds the disk of the
    // inner rim's inscribed radius. A small allowance on each side.
    constexpr float kRoundingAllowance = 1.0f + 1e-5f;
    if (!view.meetsDisk(x, y, 2.0f * r * kRoundingAllowance))
        return RingReach::Misses;
    if (view.insideDisk(x, y, gfx::inscribedRadius(segments, r)))
        return RingReach::Misses;
    if (view.insideDisk(x, y, gfx::inscribedRadius(segments, 2.0f * r)))
        return view.meetsDisk(x, y, r * kRoundingAllowance) ? RingReach::CoversAllButHole : RingReach::CoversAll;
    return RingReach::Partly;
}

// ---------------------------------------------------------------------------
// What each way fills.

RingCost ringCost(const gfx::ViewWindow& view, int segments, float x, float y, float r)
{
    RingCost cost{ringReach(view, segments, x, y, r), 0, -1, false, false};
    if (cost.reach == RingReach::Misses)
        return cost;
    cost.holeMeetsView = view.meetsDisk(x, y, r * 1.00001f);
    cost.outerMeetsView = !view.insideDisk(x, y, gfx::inscribedRadius(segments, 2.0f * r));
    if (!view.isBounded()) {
        cost.direct = kRingGridPoints;
        return cost;
    }
    const bool flippable = view.insideDisk(x, y, gfx::inscribedRadius(segments, 4.0f * r));
    // Grid points in the hole, in the ring and beyond it (in the ring twice
    // the size, where the window lies inside that one's outer rim).
    constexpr int kGrid = 8;
    static_assert(kGrid * kGrid == kRingGridPoints, "one count per grid point");
    const double r2 = static_cast<double>(r) * r;
    int hole = 0;
    int ring = 0;
    int beyond = 0;
    for (int i = 0; i < kGrid; ++i) {
        const double px = view.left + (view.right - view.left) * (i + 0.5) / kGrid - x;
        for (int j = 0; j < kGrid; ++j) {
            const double py = view.bottom + (view.top - view.bottom) * (j + 0.5) / kGrid - y;
            const double d2 = (px * px + py * py) / r2;
            if (d2 < 1.0)
                ++hole;
            else if (d2 < 4.0)
                ++ring;
            else
                ++beyond;
        }
    }
    cost.direct = ring;
    if (flippable)
        cost.flipped = (cost.holeMeetsView ? hole : 0) + (cost.outerMeetsView ? beyond : 0);
    return cost;
}

// ---------------------------------------------------------------------------
// The choice for a frame.

RingWays chooseRingWays(const gfx::ViewWindow& view, int segments, const std::array<Ring, kMostRings>& rings,
                        int ringCount)
{
    std::array<RingCost, kMostRings> costs{};
    std::array<bool, kMostRings> flipped{};
    std::array<const Ring*, kMostRings> reaching{};
    int count = 0;
    int flips = 0;
    for (int i = 0; i < ringCount; ++i) {
        const Ring& ring = rings[static_cast<std::size_t>(i)];
        const RingCost cost = ringCost(view, segments, ring.x, ring.y, ring.r);
        if (cost.reach == RingReach::Misses)
            continue;
        const auto k = static_cast<std::size_t>(count++);
        reaching[k] = &ring;
        costs[k] = cost;
        flipped[k] = cost.flipped >= 0 && cost.flipped < cost.direct;
        flips += flipped[k] ? 1 : 0;
    }
    if (flips % 2 == 1) {
        // An odd count needs the rectangle, unless turning one ring the other
        // way costs less than it.
        int cheapest = -1;
        int least = kRingGridPoints;
        for (int i = 0; i < count; ++i) {
            const RingCost& c = costs[static_cast<std::size_t>(i)];
            const int change = c.flipped < 0 ? kRingGridPoints : std::abs(c.direct - c.flipped);
            if (change < least) {
                least = change;
                cheapest = i;
            }
        }
        if (cheapest >= 0) {
            bool& turned = flipped[static_cast<std::size_t>(cheapest)];
            turned = !turned;
            flips += turned ? 1 : -1;
        }
    }
    RingWays ways{{}, count, flips % 2 == 1};
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const Ring& ring = *reaching[i];
        const RingCost& c = costs[i];
        RingDraw& draw = ways.draws[i];
        draw = {ring.x, ring.y, 0.0f, 0.0f};
        if (!flipped[i])
            draw.ringScale = ring.r;
        else if (c.outerMeetsView)
            draw.ringScale = 2.0f * ring.r;
        if (flipped[i] && c.holeMeetsView)
            draw.holeScale = ring.r;
    }
    return ways;
}
