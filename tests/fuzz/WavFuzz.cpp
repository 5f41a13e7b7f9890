// libFuzzer entry for the WAV validator: any bytes, any length. The input is
// copied into an allocation of exactly its size, so a read past the given
// length trips AddressSanitizer.

#include "audio/WavFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<unsigned char[]> exact(new unsigned char[size]);
    if (size > 0)
        std::memcpy(exact.get(), data, size);
    WavData wav;
    if (parseWav(exact.get(), size, wav) == WavError::None) {
        // What was accepted must lie wholly inside the input and hold whole frames.
        const unsigned char* end = exact.get() + size;
        if (wav.samples < exact.get() || wav.samples + wav.sampleBytes > end || wav.sampleBytes == 0
            || wav.sampleBytes % wav.format.blockAlign != 0 || wav.format.bitsPerSample != 16)
            std::abort();
        volatile unsigned char touch = wav.samples[wav.sampleBytes - 1];
        (void)touch;
    }
    return 0;
}
