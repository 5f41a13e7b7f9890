#pragma once

#include "audio/AudioLayer.h"

// Owns one music stream: initialises the audio layer, makes a stream over a WAV
// file in memory and releases both when destroyed. The bytes must outlive the
// player, since the stream reads them in place while it plays.
class BassPlay
{
public:
    BassPlay(void* data, unsigned long length);
    ~BassPlay();
    BassPlay(const BassPlay&) = delete;
    BassPlay& operator=(const BassPlay&) = delete;

    void play();
    void stop();

    // 0 when no stream could be made.
    AudioHandle streamHandle() const { return stream; }

private:
    AudioHandle stream = 0;
};
