#include "gfx/HiddenRect.h"

namespace gfx {

bool rectangleHidesViewBelowTop(const ViewWindow& view, float left, float right, float bottom, float top)
{
    if (!view.isBounded())
        return false;
    const PixelView pixels = currentPixelView();
    const ViewWindow& exact = pixels.exact;
    if (!exact.isBounded())
        return false;
    // Pixel centres lie half a pixel inside the view's edges: an edge of the
    // rectangle within a quarter pixel of the view's edge still covers them.
    const float quarterX = 0.25f * (exact.right - exact.left) / static_cast<float>(pixels.width);
    const float quarterY = 0.25f * (exact.top - exact.bottom) / static_cast<float>(pixels.height);
    return left <= exact.left + quarterX && right >= exact.right - quarterX && bottom <= exact.bottom + quarterY &&
           top > exact.bottom;
}

} // namespace gfx
