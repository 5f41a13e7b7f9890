#include "gfx/ViewWindow.h"

#include "gfx/FastPaths.h"
#include "gfx/Gl.h"
#include "gfx/ShapeVertices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace gfx {

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The clip-space range [-1, 1] grown by the margin, mapped back through
// clip = scale * model + offset.
bool axisRange(double scale, double offset, double margin, float& low, float& high)
{
    if (!(std::abs(scale) > 0.0) || !std::isfinite(scale) || !std::isfinite(offset))
        return false;
    const double a = (-1.0 - margin - offset) / scale;
    const double b = (1.0 + margin - offset) / scale;
    low = static_cast<float>(std::min(a, b));
    high = static_cast<float>(std::max(a, b));
    return std::isfinite(low) && std::isfinite(high);
}

} // namespace

ViewWindow ViewWindow::everywhere()
{
    return {-kInfinity, kInfinity, -kInfinity, kInfinity};
}

bool ViewWindow::isBounded() const
{
    return std::isfinite(left) && std::isfinite(right) && std::isfinite(bottom) && std::isfinite(top);
}

bool ViewWindow::insideDisk(float centreX, float centreY, float radius) const
{
    if (!isBounded())
        return false;
    // Double precision, so rounding cannot put a corner inside that is not.
    const double r2 = static_cast<double>(radius) * static_cast<double>(radius);
    for (const float x : {left, right}) {
        for (const float y : {bottom, top}) {
            const double dx = static_cast<double>(x) - centreX;
            const double dy = static_cast<double>(y) - centreY;
            if (!(dx * dx + dy * dy < r2))
                return false;
        }
    }
    return true;
}

bool ViewWindow::meetsDisk(float centreX, float centreY, float radius) const
{
    // The window's point nearest the centre.
    const double nx = std::clamp(static_cast<double>(centreX), static_cast<double>(left), static_cast<double>(right));
    const double ny = std::clamp(static_cast<double>(centreY), static_cast<double>(bottom), static_cast<double>(top));
    const double dx = nx - centreX;
    const double dy = ny - centreY;
    const double r = radius;
    return dx * dx + dy * dy <= r * r;
}

RingReach ringReach(const ViewWindow& view, int segments, float x, float y, float r)
{
    if (!view.isBounded())
        return RingReach::Partly;
    // The rim vertices lie on the circles r and 2r (rounded to float): the
    // shape lies within the outer circle, and its hole holds the disk of the
    // inner rim's inscribed radius. A small allowance on each side.
    constexpr float kRoundingAllowance = 1.0f + 1e-5f;
    if (!view.meetsDisk(x, y, 2.0f * r * kRoundingAllowance))
        return RingReach::Misses;
    if (view.insideDisk(x, y, inscribedRadius(segments, r)))
        return RingReach::Misses;
    if (view.insideDisk(x, y, inscribedRadius(segments, 2.0f * r)))
        return view.meetsDisk(x, y, r * kRoundingAllowance) ? RingReach::CoversAllButHole : RingReach::CoversAll;
    return RingReach::Partly;
}

RingCost ringCost(const ViewWindow& view, int segments, float x, float y, float r)
{
    RingCost cost{ringReach(view, segments, x, y, r), 0, -1, false, false};
    if (cost.reach == RingReach::Misses)
        return cost;
    cost.holeMeetsView = view.meetsDisk(x, y, r * 1.00001f);
    cost.outerMeetsView = !view.insideDisk(x, y, inscribedRadius(segments, 2.0f * r));
    const bool flippable = view.isBounded() && view.insideDisk(x, y, inscribedRadius(segments, 4.0f * r));
    if (!view.isBounded()) {
        cost.direct = kRingGridPoints;
        return cost;
    }
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

ViewWindow viewWindowFrom(const float modelView[16], const float projection[16], int width, int height,
                          float marginPixels)
{
    if (width <= 0 || height <= 0)
        return ViewWindow::everywhere();
    // Combined matrix, projection times model-view, in double precision.
    std::array<double, 16> m{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<double>(projection[k * 4 + row]) * modelView[col * 4 + k];
            m[static_cast<std::size_t>(col * 4 + row)] = sum;
        }
    }
    // Only x' = a x + c and y' = b y + d with w' = 1 (orthographic, no rotation).
    const auto at = [&m](int row, int col) { return m[static_cast<std::size_t>(col * 4 + row)]; };
    if (at(0, 1) != 0.0 || at(1, 0) != 0.0 || at(3, 0) != 0.0 || at(3, 1) != 0.0 || at(3, 3) != 1.0)
        return ViewWindow::everywhere();
    ViewWindow window{};
    const double marginX = 2.0 * marginPixels / width;
    const double marginY = 2.0 * marginPixels / height;
    if (!axisRange(at(0, 0), at(0, 3), marginX, window.left, window.right) ||
        !axisRange(at(1, 1), at(1, 3), marginY, window.bottom, window.top))
        return ViewWindow::everywhere();
    return window;
}

namespace {

struct CurrentTransform
{
    std::array<float, 16> modelView{};
    std::array<float, 16> projection{};
    std::array<GLint, 4> viewport{};
};

CurrentTransform currentTransform()
{
    CurrentTransform current;
    glGetFloatv(GL_MODELVIEW_MATRIX, current.modelView.data());
    glGetFloatv(GL_PROJECTION_MATRIX, current.projection.data());
    glGetIntegerv(GL_VIEWPORT, current.viewport.data());
    return current;
}

ViewWindow windowOf(const CurrentTransform& current, float marginPixels)
{
    return viewWindowFrom(current.modelView.data(), current.projection.data(), current.viewport[2],
                          current.viewport[3], marginPixels);
}

} // namespace

namespace {

// The scissor box in force, if any.
bool currentScissor(std::array<int, 4>& box)
{
    if (glIsEnabled(GL_SCISSOR_TEST) != GL_TRUE)
        return false;
    std::array<GLint, 4> b{};
    glGetIntegerv(GL_SCISSOR_BOX, b.data());
    box = {b[0], b[1], b[2], b[3]};
    return true;
}

// Sets `box`, kept within `outer` when there is one.
void setScissorWithin(std::array<int, 4> box, bool hasOuter, const std::array<int, 4>& outer)
{
    if (hasOuter) {
        const int x0 = std::max(box[0], outer[0]);
        const int y0 = std::max(box[1], outer[1]);
        const int x1 = std::min(box[0] + box[2], outer[0] + outer[2]);
        const int y1 = std::min(box[1] + box[3], outer[1] + outer[3]);
        box = {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(box[0], box[1], box[2], box[3]);
}

// Puts back what was in force before.
void restoreScissor(bool hadOuter, const std::array<int, 4>& outer)
{
    if (hadOuter)
        glScissor(outer[0], outer[1], outer[2], outer[3]);
    else
        glDisable(GL_SCISSOR_TEST);
}

} // namespace

ViewWindow currentViewWindow()
{
    if (!cullingEnabled())
        return ViewWindow::everywhere();
    return windowOf(currentTransform(), kCullMarginPixels);
}

bool rectangleHidesViewBelowTop(float left, float right, float bottom, float top)
{
    if (!cullingEnabled())
        return false;
    const CurrentTransform current = currentTransform();
    const ViewWindow exact = windowOf(current, 0.0f);
    if (!exact.isBounded())
        return false;
    // Pixel centres lie half a pixel inside the view's edges: an edge of the
    // rectangle within a quarter pixel of the view's edge still covers them.
    const float quarterX = 0.25f * (exact.right - exact.left) / static_cast<float>(current.viewport[2]);
    const float quarterY = 0.25f * (exact.top - exact.bottom) / static_cast<float>(current.viewport[3]);
    return left <= exact.left + quarterX && right >= exact.right - quarterX && bottom <= exact.bottom + quarterY &&
           top > exact.bottom;
}

ScissorOutside::ScissorOutside(const HiddenRect& hidden)
{
    if (!cullingEnabled() || hidden.isEmpty())
        return;
    const CurrentTransform current = currentTransform();
    const ViewWindow exact = windowOf(current, 0.0f);
    const int width = current.viewport[2];
    const int height = current.viewport[3];
    const bool upright = current.projection[0] * current.modelView[0] > 0.0f &&
                         current.projection[5] * current.modelView[5] > 0.0f;
    if (!exact.isBounded() || width <= 0 || height <= 0 || !upright)
        return;
    // Pixel columns and rows whose centres lie two pixels or more inside.
    constexpr double kSafety = 2.0;
    // (Edges far beyond the view count as a few pixels beyond it, where every
    // pixel is inside by more than the safety margin.)
    const auto pixels = [](double v, double low, double high, int size) {
        const double p = (v - low) / (high - low) * size;
        constexpr double kBeyond = kSafety + 2.0;
        return std::clamp(p, -kBeyond, static_cast<double>(size) + kBeyond);
    };
    const int x0 = static_cast<int>(std::ceil(pixels(hidden.left, exact.left, exact.right, width) + kSafety - 0.5));
    const int x1 = static_cast<int>(std::floor(pixels(hidden.right, exact.left, exact.right, width) - kSafety - 0.5)) + 1;
    const int y0 = static_cast<int>(std::ceil(pixels(hidden.bottom, exact.bottom, exact.top, height) + kSafety - 0.5));
    const int y1 = static_cast<int>(std::floor(pixels(hidden.top, exact.bottom, exact.top, height) - kSafety - 0.5)) + 1;
    // Infinite edges reach past the view with no safety rows needed.
    const int left = hidden.left == kNothingHidden ? 0 : std::clamp(x0, 0, width);
    const int right = hidden.right == kAllHidden ? width : std::clamp(x1, 0, width);
    const int bottom = hidden.bottom == kNothingHidden ? 0 : std::clamp(y0, 0, height);
    const int top = hidden.top == kAllHidden ? height : std::clamp(y1, 0, height);
    if (left >= right || bottom >= top)
        return;  // no whole pixel hidden: one box, no scissor
    boxCount = 0;
    const auto add = [this, &current](int x, int y, int w, int h) {
        if (w > 0 && h > 0)
            boxes[static_cast<std::size_t>(boxCount++)] = {current.viewport[0] + x, current.viewport[1] + y, w, h};
    };
    add(0, top, width, height - top);
    add(0, 0, width, bottom);
    add(0, bottom, left, top - bottom);
    add(right, bottom, width - right, top - bottom);
}

void ScissorOutside::select(int k)
{
    if (k < 0 || k >= boxCount)
        return;
    const std::array<int, 4>& box = boxes[static_cast<std::size_t>(k)];
    if (box[2] == 0)
        return;  // the single box that limits nothing
    if (!scissoring)
        outerScissor = currentScissor(outerBox);
    scissoring = true;
    setScissorWithin(box, outerScissor, outerBox);
}

ScissorOutside::~ScissorOutside()
{
    if (scissoring)
        restoreScissor(outerScissor, outerBox);
}

} // namespace gfx
