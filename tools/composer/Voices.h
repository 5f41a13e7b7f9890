#pragma once

// The instruments. Each renders one note from its own start, at full length
// with its tail, into a fresh buffer; the score places it on the timeline.
// Every note begins and ends at zero level, so no note clicks.

#include "Dsp.h"

#include <functional>

namespace composer {

// Cutoff in Hz at a given absolute time in seconds: filters that follow the form of the piece.
using CutoffCurve = std::function<double(double)>;

// Two-operator FM bell, carrier to modulator 1:1.4, index decaying with the note.
Mono bell(double hz, double velocity, double decaySeconds);
// A water drop: a sine whose pitch rises as the bubble closes, with a glassy partial.
Mono droplet(double hz, double velocity);
// Karplus-Strong string: a noise burst circulating in a damped delay line.
Mono pluck(double hz, double velocity, double decaySeconds, Rng& rng);
// Detuned saw ensemble through a low-pass that follows `cutoff`; held for `holdSeconds`.
Stereo padNote(double hz, double startSeconds, double holdSeconds, double attack, double release,
               const CutoffCurve& cutoff, Rng& rng);
// A pure sine with slow edges, for drones and the sub.
Mono sineNote(double hz, double holdSeconds, double attack, double release);
// Saw plus sub-octave sine through an enveloped low-pass.
Mono bassNote(double hz, double holdSeconds, double velocity);
// Short pulse-and-saw blip for the arpeggio.
Mono arpNote(double hz, double velocity, double cutoffHz);
// Two detuned saws with delayed vibrato.
Mono leadNote(double hz, double holdSeconds, double velocity);

Mono kick(double velocity);
Mono snare(double velocity, Rng& rng);
Mono hat(double velocity, bool open, Rng& rng);

// Noise swept upward, growing to its end.
Stereo riser(double seconds, Rng& rng);
// The hit: a falling sub sine, a band of noise and a transient.
Stereo impact(Rng& rng);

} // namespace composer
