#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace composer {

// Writes a canonical 44-byte-header PCM WAV file of interleaved 16-bit stereo
// samples at 44.1 kHz. Returns false if the file cannot be written.
bool writeWav(const std::string& path, const std::vector<std::int16_t>& interleaved);

} // namespace composer
