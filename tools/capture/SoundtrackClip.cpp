#include "SoundtrackClip.h"

#include "audio/Soundtrack.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

constexpr int kHeaderBytes = 44;  // RIFF header, a 16-byte "fmt " chunk and the "data" chunk header
constexpr std::int64_t kSilenceChunkBytes = 1 << 16;

void putLittleEndian(char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xffu);
}

bool writeAll(QIODevice& out, const char* data, std::int64_t length)
{
    return out.write(data, length) == length;
}

bool writeSilence(QIODevice& out, std::int64_t length)
{
    static const std::array<char, kSilenceChunkBytes> silence{};
    while (length > 0) {
        const std::int64_t part = std::min<std::int64_t>(length, kSilenceChunkBytes);
        if (!writeAll(out, silence.data(), part))
            return false;
        length -= part;
    }
    return true;
}

} // namespace

SoundtrackClip::SoundtrackClip(QByteArray wavFile) : bytes(std::move(wavFile))
{
    ok = parseWav(bytes.constData(), static_cast<std::size_t>(bytes.size()), wav) == WavError::None;
}

SoundtrackClip SoundtrackClip::compiledIn()
{
    QFile resource(QString::fromLatin1(kSoundtrackResource));
    if (!resource.open(QIODevice::ReadOnly))
        return SoundtrackClip(QByteArray());
    return SoundtrackClip(resource.readAll());
}

bool SoundtrackClip::write(QIODevice& out, std::int64_t first, std::int64_t count) const
{
    const std::int64_t frameBytes = wav.format.blockAlign;
    const std::int64_t dataBytes = count * frameBytes;
    if (!ok || count < 0 || dataBytes + kHeaderBytes - 8 > std::numeric_limits<std::uint32_t>::max())
        return false;

    std::array<char, kHeaderBytes> header{};
    std::memcpy(header.data(), "RIFF", 4);
    putLittleEndian(header.data() + 4, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8), 4);
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    putLittleEndian(header.data() + 16, 16, 4);
    putLittleEndian(header.data() + 20, 1, 2);  // plain PCM
    putLittleEndian(header.data() + 22, wav.format.channels, 2);
    putLittleEndian(header.data() + 24, wav.format.sampleRate, 4);
    putLittleEndian(header.data() + 28, wav.format.sampleRate * wav.format.blockAlign, 4);
    putLittleEndian(header.data() + 32, wav.format.blockAlign, 2);
    putLittleEndian(header.data() + 34, wav.format.bitsPerSample, 2);
    std::memcpy(header.data() + 36, "data", 4);
    putLittleEndian(header.data() + 40, static_cast<std::uint32_t>(dataBytes), 4);

    // The part of [first, first + count) that the music covers; before and after it, silence.
    const std::int64_t available = static_cast<std::int64_t>(wav.frames());
    const std::int64_t begin = std::clamp<std::int64_t>(first, 0, available);
    const std::int64_t end = std::max(begin, std::clamp<std::int64_t>(first + count, 0, available));
    const std::int64_t before = std::clamp<std::int64_t>(begin - first, 0, count);
    const std::int64_t after = count - before - (end - begin);
    const char* music = reinterpret_cast<const char*>(wav.samples) + begin * frameBytes;
    return writeAll(out, header.data(), kHeaderBytes) && writeSilence(out, before * frameBytes) &&
           writeAll(out, music, (end - begin) * frameBytes) && writeSilence(out, after * frameBytes);
}
