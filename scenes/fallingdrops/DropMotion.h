#pragma once

// The maths of the falling drops, free of GL so it can be checked on its own:
//   - scattering the fifty drops from the seeded generator,
//   - where a drop's ring is at time t,
//   - where a drop is, how big and in which colour at time t,
//   - the zoom and scroll of the camera.
// All of it is single precision on purpose (except where noted): the pictures
// follow from these exact roundings.

#include <vector>

namespace dropmotion {

struct Drop
{
    float x;      // where the drop emerges
    float y;
    float phase;  // emerges at phase / 0.1 s; its ring's inner radius is 0.1 t - phase
};

constexpr int kDropCount = 50;
constexpr unsigned kDropSeed = 2;

// A drop from two normal and three uniform draws, in that order.
Drop makeDrop(float r1, float r2, float u1, float u2, float u3);

// Reseeds the process-wide generator with kDropSeed and draws kDropCount drops,
// each from rndn, rndn, rnd, rnd, rnd. With no normal spare pending beforehand
// none is pending afterwards (an even count of normals).
std::vector<Drop> scatterDrops();

// The moment the drop blinks into existence.
float emergenceTime(float phase);

// Inner radius of the drop's ring at time t (the ring covers r to 2r around the
// place where the drop emerged). The ring is drawn only while this is positive.
float ringRadius(float phase, float t);

struct DropPose
{
    float x;
    float y;
    float scale;  // radius of the unit disk
    float red;
    float green;
    float blue;
    float alpha;
};

// Whether the drop has emerged by time t, and if so where and how it is drawn:
// blinking white and black while it grows, then falling, drifting towards the
// centre line, shrinking and turning olive.
bool dropPoseAt(const Drop& drop, float t, DropPose& pose);

struct CameraPose
{
    float zoom;        // applied first
    bool scrolls;      // then, when set, a lift and a second zoom
    float lift;
    float settleZoom;
};

// Zooms in to twice the size over the first 15 s, then scrolls up while the
// zoom settles from 2 towards 0.8.
CameraPose cameraPoseAt(float t);

} // namespace dropmotion
