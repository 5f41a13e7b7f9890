#pragma once

// Builds WAV files byte by byte for the audio tests, including broken ones.

#include <cstdint>
#include <string>
#include <vector>

struct WavSpec
{
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bits = 16;
    std::uint16_t blockAlign = 0;  // 0: derived
    std::uint32_t byteRate = 0;    // 0: derived
    std::uint32_t fmtSize = 16;
    std::vector<std::int16_t> samples;
    // Chunks written between "fmt " and "data": id and body.
    std::vector<std::pair<std::string, std::vector<unsigned char>>> extraChunks;
    std::int64_t dataSizeDelta = 0;  // lie about the data size
};

inline void putU16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

inline void putU32(std::vector<unsigned char>& out, std::uint32_t v)
{
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

inline void putId(std::vector<unsigned char>& out, const std::string& id)
{
    for (char c : id)
        out.push_back(static_cast<unsigned char>(c));
}

inline std::vector<unsigned char> makeWav(const WavSpec& spec)
{
    const std::uint16_t blockAlign = spec.blockAlign ? spec.blockAlign : spec.channels * spec.bits / 8;
    const std::uint32_t byteRate = spec.byteRate ? spec.byteRate : spec.sampleRate * blockAlign;
    std::vector<unsigned char> body;
    putId(body, "WAVE");
    putId(body, "fmt ");
    putU32(body, spec.fmtSize);
    putU16(body, spec.formatTag);
    putU16(body, spec.channels);
    putU32(body, spec.sampleRate);
    putU32(body, byteRate);
    putU16(body, blockAlign);
    putU16(body, spec.bits);
    for (std::uint32_t i = 16; i < spec.fmtSize; ++i)
        body.push_back(0);
    for (const auto& chunk : spec.extraChunks) {
        putId(body, chunk.first);
        putU32(body, static_cast<std::uint32_t>(chunk.second.size()));
        body.insert(body.end(), chunk.second.begin(), chunk.second.end());
        if (chunk.second.size() % 2)
            body.push_back(0);
    }
    putId(body, "data");
    putU32(body, static_cast<std::uint32_t>(static_cast<std::int64_t>(spec.samples.size() * 2) + spec.dataSizeDelta));
    for (std::int16_t s : spec.samples)
        putU16(body, static_cast<std::uint16_t>(s));

    std::vector<unsigned char> file;
    putId(file, "RIFF");
    putU32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// Samples that differ from frame to frame and never repeat within a test.
inline std::vector<std::int16_t> patternSamples(std::size_t count, std::uint32_t seed = 1)
{
    std::vector<std::int16_t> out(count);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& s : out) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(x >> 16);
    }
    return out;
}

// A well-formed 44.1 kHz file of `frames` frames of patternSamples.
inline std::vector<unsigned char> patternWav(std::size_t frames, std::uint16_t channels = 2, std::uint32_t seed = 1)
{
    WavSpec spec;
    spec.channels = channels;
    spec.samples = patternSamples(frames * channels, seed);
    return makeWav(spec);
}

// Where the samples of a file from makeWav start.
constexpr std::size_t kWavHeaderBytes = 44;
