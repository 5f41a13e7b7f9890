#pragma once

// The switch for the program's fast path, on by default: components regenerate
// their branches from draws recorded once (growth/DrawTape.h) instead of asking
// rand() every frame. It must leave every vertex as it would be without it.
// Only tests and benchmarks switch it off, to compare the fast path with the
// straightforward one it stands in for (umbrafen-capture --benchmark
// --straightforward times the latter).

namespace gfx {

bool replayEnabled();
void setReplayEnabled(bool on);

} // namespace gfx
