#include "WavWriter.h"

#include "Dsp.h"

#include <cstdio>

namespace composer {

namespace {

constexpr std::uint16_t kChannels = 2;
constexpr std::uint16_t kBits = 16;

void putU16(std::vector<unsigned char>& out, std::uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void putU32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

void putId(std::vector<unsigned char>& out, const char* id)
{
    out.insert(out.end(), id, id + 4);
}

} // namespace

bool writeWav(const std::string& path, const std::vector<std::int16_t>& interleaved)
{
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    const std::uint16_t blockAlign = kChannels * kBits / 8;
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes);
    putId(bytes, "RIFF");
    putU32(bytes, 36 + dataBytes);
    putId(bytes, "WAVE");
    putId(bytes, "fmt ");
    putU32(bytes, 16);
    putU16(bytes, 1);  // PCM
    putU16(bytes, kChannels);
    putU32(bytes, kSampleRate);
    putU32(bytes, kSampleRate * blockAlign);
    putU16(bytes, blockAlign);
    putU16(bytes, kBits);
    putId(bytes, "data");
    putU32(bytes, dataBytes);
    // Little-endian whatever the host: byte by byte.
    for (std::int16_t sample : interleaved)
        putU16(bytes, static_cast<std::uint16_t>(sample));

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace composer
