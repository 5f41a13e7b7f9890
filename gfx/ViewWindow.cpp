#include "gfx/ViewWindow.h"

#include "gfx/Gl.h"

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

ViewWindow visibleWindow(const FastPaths& paths)
{
    if (!paths.culling)
        return ViewWindow::everywhere();
    return windowOf(currentTransform(), kCullMarginPixels);
}

PixelView currentPixelView()
{
    const CurrentTransform current = currentTransform();
    const bool upright = current.projection[0] * current.modelView[0] > 0.0f &&
                         current.projection[5] * current.modelView[5] > 0.0f;
    return {windowOf(current, 0.0f), current.viewport[0], current.viewport[1], current.viewport[2],
            current.viewport[3], upright};
}

} // namespace gfx
