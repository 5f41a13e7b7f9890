#include "audio/WavFile.h"

#include <cstring>

namespace {

constexpr std::size_t kRiffHeaderBytes = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeaderBytes = 8;  // id, size
constexpr std::size_t kPcmFormatBytes = 16;
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kPlayableBits = 16;

std::uint16_t readU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t readU32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool hasId(const unsigned char* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

WavError parseFormat(const unsigned char* body, std::size_t size, WavFormat& format)
{
    if (size < kPcmFormatBytes || readU16(body) != kFormatPcm)
        return WavError::NotPcm;
    format.channels = readU16(body + 2);
    format.sampleRate = readU32(body + 4);
    const std::uint32_t byteRate = readU32(body + 8);
    format.blockAlign = readU16(body + 12);
    format.bitsPerSample = readU16(body + 14);

    if (format.channels != 1 && format.channels != 2)
        return WavError::UnsupportedChannels;
    if (format.bitsPerSample != kPlayableBits)
        return WavError::UnsupportedBits;
    if (format.sampleRate < kWavMinRate || format.sampleRate > kWavMaxRate)
        return WavError::UnsupportedRate;
    if (format.blockAlign != format.channels * (kPlayableBits / 8) || byteRate != format.sampleRate * format.blockAlign)
        return WavError::InconsistentFormat;
    return WavError::None;
}

} // namespace

WavError parseWav(const void* file, std::size_t length, WavData& out)
{
    if (file == nullptr)
        return WavError::NullData;
    if (length < kRiffHeaderBytes)
        return WavError::TooShort;
    const auto* bytes = static_cast<const unsigned char*>(file);
    if (!hasId(bytes, "RIFF"))
        return WavError::NotRiff;
    if (!hasId(bytes + 8, "WAVE"))
        return WavError::NotWave;

    // Bytes after the RIFF chunk's own end are not part of the file.
    std::size_t end = length;
    const std::uint64_t riffEnd = std::uint64_t{8} + readU32(bytes + 4);
    if (riffEnd < end)
        end = static_cast<std::size_t>(riffEnd);

    WavFormat format;
    const unsigned char* samples = nullptr;
    std::size_t sampleBytes = 0;
    bool haveFormat = false;
    bool haveData = false;

    // All arithmetic below compares against what is left, so no offset can pass the end.
    std::size_t pos = kRiffHeaderBytes;
    while (pos < end) {
        if (end - pos < kChunkHeaderBytes)
            return WavError::BadChunk;
        const unsigned char* header = bytes + pos;
        const std::size_t size = readU32(header + 4);
        pos += kChunkHeaderBytes;
        if (size > end - pos)
            return WavError::BadChunk;
        const unsigned char* body = bytes + pos;

        if (hasId(header, "fmt ")) {
            if (haveFormat)
                return WavError::DuplicateChunk;
            const WavError error = parseFormat(body, size, format);
            if (error != WavError::None)
                return error;
            haveFormat = true;
        } else if (hasId(header, "data")) {
            if (haveData)
                return WavError::DuplicateChunk;
            samples = body;
            sampleBytes = size;
            haveData = true;
        }

        pos += size;
        // Odd chunks carry a pad byte; a writer that left it off the last chunk is forgiven.
        if ((size & 1u) != 0 && pos < end)
            ++pos;
    }

    if (!haveFormat)
        return WavError::MissingFormat;
    if (!haveData)
        return WavError::MissingData;
    if (sampleBytes == 0)
        return WavError::EmptyData;
    if (sampleBytes % format.blockAlign != 0)
        return WavError::PartialFrame;

    out.format = format;
    out.samples = samples;
    out.sampleBytes = sampleBytes;
    return WavError::None;
}
