#pragma once

// The program's fast paths, chosen once: the schedule is built with them and
// hands them to every scene, and each scene to its components.
// - replay: components regenerate their branches from draws recorded once
//   (growth/replay/) instead of asking rand() every frame. It must leave
//   every vertex as it would be without it.
// - culling: components leave out lines, strips and disks that cannot reach
//   the view. With it off, the view window is unbounded (visibleWindow in
//   gfx/ViewWindow.h) and nothing is left out. It must leave every pixel as
//   it would be without it.
// The program runs with both; tests, benchmarks and umbrafen-capture
// --benchmark --straightforward run without them, to compare the fast paths
// with the straightforward ones they stand in for.

namespace gfx {

struct FastPaths
{
    bool replay;
    bool culling;

    static constexpr FastPaths all() { return {true, true}; }
    static constexpr FastPaths none() { return {false, false}; }
};

} // namespace gfx
