#pragma once

// The soundtrack as the program carries it: the WAV the composer writes,
// compiled in as an uncompressed Qt resource (cmake/Audio.cmake).
constexpr const char* kSoundtrackResource = ":/xm/umf.wav";
