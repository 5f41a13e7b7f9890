#pragma once

// Validation of a complete RIFF/WAVE file held in memory. Pure code: it reads
// only the bytes it is given, allocates nothing and knows nothing of devices, so
// the audio layer and the fuzzer share it.

#include <cstddef>
#include <cstdint>

enum class WavError
{
    None,
    NullData,          // no bytes at all behind a null pointer
    TooShort,          // shorter than a RIFF header
    NotRiff,           // does not start with "RIFF"
    NotWave,           // a RIFF file of another form than "WAVE"
    BadChunk,          // a chunk header or body that does not fit in the file
    DuplicateChunk,    // a second "fmt " or "data" chunk
    MissingFormat,     // no "fmt " chunk
    MissingData,       // no "data" chunk
    NotPcm,            // a format tag other than plain PCM, or a short fmt chunk
    UnsupportedChannels,
    UnsupportedBits,   // anything but 16 bits per sample
    UnsupportedRate,
    InconsistentFormat, // block alignment or byte rate that contradict the rest
    EmptyData,         // a data chunk without a single frame
    PartialFrame,      // a data chunk that ends inside a frame
};

struct WavFormat
{
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t blockAlign = 0;  // bytes per frame
};

// A playable file: its format and where its samples lie inside the caller's bytes.
struct WavData
{
    WavFormat format;
    const unsigned char* samples = nullptr;  // little-endian 16-bit, interleaved
    std::size_t sampleBytes = 0;

    std::size_t frames() const { return format.blockAlign ? sampleBytes / format.blockAlign : 0; }
};

// Accepts only 16-bit PCM with one or two channels at a sane rate, whose data
// chunk lies wholly inside the given bytes; every chunk is walked and checked.
// On failure `out` is left untouched.
WavError parseWav(const void* file, std::size_t length, WavData& out);

// The sample rates we accept.
constexpr std::uint32_t kWavMinRate = 8000;
constexpr std::uint32_t kWavMaxRate = 192000;
