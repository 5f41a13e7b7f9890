#pragma once

// What the branch tests share: plain memory standing in for a mapped branch
// buffer, the branch frames' four start angles, a clean rndn() spare and the
// length of a segment.

#include "gfx/Random.h"
#include "growth/BranchBuffer.h"

#include <cmath>
#include <cstddef>
#include <vector>

constexpr float kFrameAngles[] = {0.0f, 1.5707964f, 3.1415927f, -1.5707964f};

// Leaves no rndn() spare pending, whatever the state before.
inline void clearSpare()
{
    if (rndnSparePending())
        rndn();
}

// Filled with a marker, so stale floats would show.
struct Memory
{
    explicit Memory(int capacity, float marker = -7.0f)
        : floats(static_cast<std::size_t>(capacity), marker), buffer{floats.data(), 0, capacity}
    {
    }
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    // The floats the last generation stored.
    std::vector<float> kept() const { return {floats.begin(), floats.begin() + buffer.kept}; }

    std::vector<float> floats;
    branching::BranchBuffer buffer;
};

// The length of segment i (four floats: x0, y0, x1, y1).
inline float segmentLength(const std::vector<float>& floats, std::size_t i)
{
    const float* s = floats.data() + 4 * i;
    return std::hypot(s[2] - s[0], s[3] - s[1]);
}
