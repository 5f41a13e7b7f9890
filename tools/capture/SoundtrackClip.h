#pragma once

// The soundtrack over a stretch of demo time, as a WAV file of its own: the
// compiled-in music's samples from a first sample on, and silence wherever the
// stretch lies before or after the music.

#include "audio/WavFile.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>

class SoundtrackClip
{
public:
    // Takes a complete WAV file; valid() tells whether it could be read.
    explicit SoundtrackClip(QByteArray wavFile);
    // The soundtrack compiled into this program (audio/Soundtrack.h).
    static SoundtrackClip compiledIn();

    bool valid() const { return ok; }
    std::uint32_t sampleRate() const { return wav.format.sampleRate; }

    // Writes a complete 16-bit PCM WAV file of `count` sample frames, the first
    // being the soundtrack's sample `first` (which may lie outside the music).
    // False if the device fails or the clip is too long for a WAV file.
    bool write(QIODevice& out, std::int64_t first, std::int64_t count) const;

private:
    QByteArray bytes;
    WavData wav;
    bool ok = false;
};
