#pragma once

// The branch buffer fields a tree-like component shares with the branch
// generator: the mapped (or plain) memory, how much of it this generation has
// filled, and how much there is. Segments are four floats, x0 y0 x1 y1, drawn
// as GL_LINES.

namespace growth {

constexpr int kFloatsPerSegment = 4;

struct BranchBuffer
{
    float* vertices = nullptr;  // valid only while the caller holds it mapped
    int used = 0;               // floats written in this generation, a multiple of 4
    int capacity = 0;           // floats the memory holds

    // Whether one more segment fits; every writer checks this before it writes.
    bool hasRoomForSegment() const { return used + kFloatsPerSegment <= capacity; }

    // Writes one segment and advances `used`. Only call it after hasRoomForSegment().
    void appendSegment(float x0, float y0, float x1, float y1)
    {
        float* out = vertices + used;
        out[0] = x0;
        out[1] = y0;
        out[2] = x1;
        out[3] = y1;
        used += kFloatsPerSegment;
    }

    // The vertex count to hand to glDrawArrays(GL_LINES, 0, ...).
    int vertexCount() const { return used / 2; }
};

} // namespace growth
