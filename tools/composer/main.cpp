// umbrafen-composer: synthesizes the soundtrack from its score and writes the
// mastered WAV file. Same bytes on every run.
//
//   umbrafen-composer OUTPUT.wav [--report]

#include "Mastering.h"
#include "Score.h"
#include "WavWriter.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

constexpr double kTargetLufs = -16.0;
constexpr double kCeilingDb = -1.3;  // under -1 dBFS with room for dither
constexpr std::uint64_t kDitherSeed = 0x756D66;

void flushDenormals()
{
#if defined(__SSE__) || defined(__x86_64__)
    // Decaying reverb tails would otherwise crawl through denormal arithmetic.
    _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
}

void report(const composer::Stereo& mastered, double seconds)
{
    using namespace composer;
    std::printf("peak %.2f dBFS, integrated %.2f LUFS, rendered in %.2f s\n",
                20.0 * std::log10(samplePeak(mastered)), integratedLoudness(mastered), seconds);
    const double kSections[] = {0, 10, 20, 29, 37, 46, 56, 63.25, 67, 70.5, 73.31};
    for (std::size_t i = 0; i + 1 < sizeof(kSections) / sizeof(kSections[0]); ++i) {
        const std::size_t a = secondsToFrames(kSections[i]);
        const std::size_t b = std::min(mastered.size(), secondsToFrames(kSections[i + 1]));
        Stereo part(b - a);
        std::copy(mastered.l.begin() + static_cast<std::ptrdiff_t>(a), mastered.l.begin() + static_cast<std::ptrdiff_t>(b), part.l.begin());
        std::copy(mastered.r.begin() + static_cast<std::ptrdiff_t>(a), mastered.r.begin() + static_cast<std::ptrdiff_t>(b), part.r.begin());
        std::printf("  %6.2f-%6.2f s: %7.2f LUFS, peak %6.2f dBFS\n", kSections[i], kSections[i + 1],
                    integratedLoudness(part), 20.0 * std::log10(samplePeak(part) + 1e-12));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav [--report]\n", argv[0]);
        return 2;
    }
    flushDenormals();
    const auto begin = std::chrono::steady_clock::now();

    const composer::Stereo mix = composer::renderScore();
    const composer::Stereo mastered = composer::master(mix, kTargetLufs, composer::dbToGain(kCeilingDb));
    composer::Rng dither(kDitherSeed);
    const std::vector<std::int16_t> samples = composer::ditherTo16Bits(mastered, dither);
    if (!composer::writeWav(argv[1], samples)) {
        std::fprintf(stderr, "umbrafen-composer: cannot write %s\n", argv[1]);
        return 1;
    }

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (argc > 2 && std::strcmp(argv[2], "--report") == 0)
        report(mastered, seconds);
    return 0;
}
