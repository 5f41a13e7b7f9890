#pragma once

// The switches for the program's fast paths, both on by default:
// - replay: components regenerate their branches from draws recorded once
//   (growth/DrawTape.h) instead of asking rand() every frame. It must leave
//   every vertex as it would be without it.
// - culling: components leave out lines, strips and disks that cannot reach
//   the view (gfx/ViewWindow.h). It must leave every pixel as it would be
//   without it.
// Only tests and benchmarks switch them off, to compare the fast paths with
// the straightforward ones they stand in for (umbrafen-capture --benchmark
// --straightforward times the latter).

namespace gfx {

bool replayEnabled();
void setReplayEnabled(bool on);

bool cullingEnabled();
void setCullingEnabled(bool on);

} // namespace gfx
