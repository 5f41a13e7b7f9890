#include "gfx/ScissorOutside.h"

#include "gfx/Gl.h"

#include <algorithm>
#include <cmath>

namespace gfx {

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

ScissorOutside::ScissorOutside(const HiddenRect& hidden)
{
    if (hidden.isEmpty())
        return;
    const PixelView view = currentPixelView();
    const ViewWindow& exact = view.exact;
    const int width = view.width;
    const int height = view.height;
    if (!exact.isBounded() || width <= 0 || height <= 0 || !view.upright)
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
    const int left = hidden.left == -kPastTheView ? 0 : std::clamp(x0, 0, width);
    const int right = hidden.right == kPastTheView ? width : std::clamp(x1, 0, width);
    const int bottom = hidden.bottom == -kPastTheView ? 0 : std::clamp(y0, 0, height);
    const int top = hidden.top == kPastTheView ? height : std::clamp(y1, 0, height);
    if (left >= right || bottom >= top)
        return;  // no whole pixel hidden: one box, no scissor
    boxCount = 0;
    const auto add = [this, &view](int x, int y, int w, int h) {
        if (w > 0 && h > 0)
            boxes[static_cast<std::size_t>(boxCount++)] = {view.x + x, view.y + y, w, h};
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
