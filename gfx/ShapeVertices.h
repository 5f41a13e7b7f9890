#pragma once

// Vertex builders for the unit shapes. Pure code: each fills memory it is given
// (two floats per vertex) and makes no GL call, so it is testable on its own.

namespace gfx {

// Which precision the rim's cosine and sine are taken in. The drops use single
// precision; the sky, hills and explosion take them in double and round.
enum class Trig { Single, Double };

constexpr int diskVertexCount(int segments) { return segments + 2; }
constexpr int diskFloatCount(int segments) { return 2 * segments + 4; }
constexpr int ringVertexCount(int segments) { return 2 * segments + 2; }
constexpr int ringFloatCount(int segments) { return 4 * segments + 4; }
constexpr int kRectangleVertexCount = 4;
constexpr int kRectangleFloatCount = 8;

// Angle of rim vertex i: i * 2pi / segments in double precision, rounded to
// float; the last one is exactly 0 so the rim closes without a seam.
float rimAngle(int i, int segments);

// (0, 0), then the rim (cos a_i, sin a_i) for i = 0 .. segments: a triangle fan.
void fillUnitDisk(float* out, int segments, Trig trig);

// For i = 0 .. segments: (cos a_i, sin a_i), then twice that: a triangle strip
// covering the radii 1 to 2.
void fillUnitRing(float* out, int segments, Trig trig);

// The rim polygon of a unit disk of `segments` segments cut into
// segments - 2 triangles (indices of the disk's rim vertices 1 .. segments),
// splitting each arc at its middle: a few large triangles and slivers along
// the rim only, where the fan has hundreds of thin ones all reaching the
// centre. Both fill the same polygon, each pixel once. Fills
// diskTriangulationIndexCount(segments) indices.
constexpr int diskTriangulationIndexCount(int segments) { return segments < 3 ? 0 : 3 * (segments - 2); }
void fillDiskTriangulation(unsigned short* out, int segments);

// A radius within which the rim polygon of a unit shape of `segments`
// segments, scaled by `scale`, covers everything: the distance of its edges
// from the centre, less a little for the rim's rounding to float. Zero for
// fewer than three segments.
float inscribedRadius(int segments, float scale);

// (-h, -h), (h, -h), (-h, h), (h, h): a triangle strip.
void fillRectangle(float* out, float halfSize);

} // namespace gfx
