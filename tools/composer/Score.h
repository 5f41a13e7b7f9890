#pragma once

// The piece, written for the demo's schedule at 120 beats per minute:
//   0-20 s     drops: sparse droplets, bells and plucks in a large room over a
//              slowly beating pair of sines (the spreading rings)
//   20-37 s    the tree: a pad swells in and opens, a sub drone under the roots,
//              the melody on bells
//   37-56 s    the running branch: a two-beat pickup, then kick, hats, clap,
//              a ducked bass, the melody on a lead and an arpeggio
//   56-63.25 s the build: a riser, a rising high-pass, a snare roll
//   63.25 s    the impact as the black disk fills the view, then a bright
//              A major wash and the arpeggio decaying into silence

#include "Dsp.h"

namespace composer {

// 12,932,316 bytes of 16-bit stereo: 73.31 s.
constexpr std::size_t kSoundtrackFrames = 3233079;

// The whole piece mixed in float, before mastering.
Stereo renderScore();

} // namespace composer
