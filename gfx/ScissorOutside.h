#pragma once

// Drawing around a hidden rectangle: the parts of the viewport outside it (in
// the current model coordinates), as up to four scissor boxes in pixels: the
// rows above it, the rows below it, and the columns left and right of it in
// between. A pixel counts as hidden only when its centre lies two pixels or
// more inside the rectangle, against rounding. Drawing once per box
// (select(k)) reaches every pixel that may be seen once. For an empty
// rectangle, or a transform that is not a plain upright scale and shift,
// there is one box and no scissor; for a rectangle over the whole view there
// are none.

#include "gfx/HiddenRect.h"

#include <array>

namespace gfx {

class ScissorOutside
{
public:
    explicit ScissorOutside(const HiddenRect& hidden);
    ~ScissorOutside();
    ScissorOutside(const ScissorOutside&) = delete;
    ScissorOutside& operator=(const ScissorOutside&) = delete;

    int count() const { return boxCount; }
    bool hidesAll() const { return boxCount == 0; }
    // Scissors to box k, kept within any box already in force; the one in
    // force before is back when this ends. Nests.
    void select(int k);

private:
    std::array<std::array<int, 4>, 4> boxes{};
    int boxCount = 1;
    bool scissoring = false;
    bool outerScissor = false;  // a scissor box was already set: stay within it, and put it back
    std::array<int, 4> outerBox{};
};

} // namespace gfx
