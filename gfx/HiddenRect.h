#pragma once

// What something drawn later paints over, so that what is drawn before need
// not reach it: a rectangle of the view in model coordinates, or a height
// below which the view is hidden. Only worked out in a bounded view window:
// with culling off nothing counts as hidden.

#include "gfx/ViewWindow.h"

#include <limits>

namespace gfx {

// An edge this far reaches past the view on its side.
constexpr float kPastTheView = std::numeric_limits<float>::infinity();

// Heights in the view below which what is drawn later hides everything.
constexpr float kHeightHidingNothing = -kPastTheView;
constexpr float kHeightHidingAll = kPastTheView;

// Infinite edges reach past the view; an empty rectangle hides nothing.
struct HiddenRect
{
    float left;
    float right;
    float bottom;
    float top;

    bool isEmpty() const { return !(left < right && bottom < top); }
};
constexpr HiddenRect kEmptyHiddenRect = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr HiddenRect kWholeViewHiddenRect = {-kPastTheView, kPastTheView, -kPastTheView, kPastTheView};
constexpr HiddenRect hiddenBelow(float height)
{
    return {-kPastTheView, kPastTheView, -kPastTheView, height};
}

// Whether an opaque rectangle, in the current model coordinates, covers the
// centre of every pixel of the view from its top edge down: then it hides
// the view below its top edge. False in an unbounded `view` (culling off) and
// when the matrices are not a plain scale and shift.
bool rectangleHidesViewBelowTop(const ViewWindow& view, float left, float right, float bottom, float top);

} // namespace gfx
