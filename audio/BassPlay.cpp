#include "audio/BassPlay.h"

#include <iostream>

namespace {

constexpr std::uint32_t kOutputRate = 44100;

} // namespace

BassPlay::BassPlay(void* data, unsigned long length)
{
    // A failure here is not reported: it shows up as the stream failing below.
    BASS_Init(kAudioDefaultDevice, kOutputRate, 0, nullptr, nullptr);
    stream = BASS_StreamCreateFile(true, data, 0, length, 0);
    if (stream == 0)
        std::cout << "BASS error: " << BASS_ErrorGetCode() << std::endl;
}

BassPlay::~BassPlay()
{
    BASS_ChannelStop(stream);
    BASS_Free();
}

void BassPlay::play()
{
    BASS_ChannelPlay(stream, false);
}

void BassPlay::stop()
{
    BASS_ChannelStop(stream);
}
