#pragma once

// Mastering: integrated loudness after ITU-R BS.1770 / EBU R128 (K-weighting,
// 400 ms blocks, absolute and relative gates), a look-ahead peak limiter, and
// TPDF dither to 16 bits that leaves exact silence exactly silent.

#include "Dsp.h"

#include <cstdint>

namespace composer {

// Integrated loudness in LUFS; -infinity for silence.
double integratedLoudness(const Stereo& signal);

double samplePeak(const Stereo& signal);

// Scales so that no sample exceeds `ceiling`; the gain falls ahead of each peak
// and recovers with `releaseSeconds`.
Stereo limit(const Stereo& in, double gain, double ceiling, double releaseSeconds);

// Gain and limiting that meet the loudness target under the ceiling.
Stereo master(const Stereo& mix, double targetLufs, double ceiling);

// Interleaved 16-bit samples.
std::vector<std::int16_t> ditherTo16Bits(const Stereo& signal, Rng& rng);

} // namespace composer
