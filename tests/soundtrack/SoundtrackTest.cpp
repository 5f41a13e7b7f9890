// The generated soundtrack, measured as a listener's tools would measure it.

#include "audio/WavFile.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRate = 44100;

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

class Soundtrack : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        bytes = readFile(UMBRAFEN_SOUNDTRACK_PATH);
        WavData wav;
        if (parseWav(bytes.data(), bytes.size(), wav) != WavError::None)
            return;
        format = wav.format;
        samples.resize(wav.sampleBytes / 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto s = static_cast<std::int16_t>(wav.samples[2 * i] | (wav.samples[2 * i + 1] << 8));
            samples[i] = static_cast<float>(s) / 32768.0f;
        }
    }
    void SetUp() override { ASSERT_FALSE(samples.empty()) << "the soundtrack is not a playable WAV file"; }

    static std::size_t frames() { return samples.size() / 2; }

    // Integrated loudness (EBU R128) of frames [from, to).
    static double loudness(std::size_t from, std::size_t to)
    {
        ebur128_state* state = ebur128_init(2, kRate, EBUR128_MODE_I);
        ebur128_add_frames_float(state, samples.data() + 2 * from, to - from);
        double lufs = 0.0;
        ebur128_loudness_global(state, &lufs);
        ebur128_destroy(&state);
        return lufs;
    }

    static std::size_t at(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

    static std::vector<unsigned char> bytes;
    static WavFormat format;
    static std::vector<float> samples;
};

std::vector<unsigned char> Soundtrack::bytes;
WavFormat Soundtrack::format;
std::vector<float> Soundtrack::samples;

} // namespace

// Stereo 16-bit at 44.1 kHz (the validator checked the rest), nothing but the
// two headers before the samples, and exactly as long as the composition.
TEST_F(Soundtrack, HasTheExactFormatAndSize)
{
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.sampleRate, kRate);
    EXPECT_EQ(bytes.size(), 44u + 2 * samples.size());
    const auto riffSize = static_cast<std::size_t>(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24);
    EXPECT_EQ(riffSize, bytes.size() - 8);
    EXPECT_EQ(samples.size() * 2, 12932316u);
}

TEST_F(Soundtrack, IsMasteredToPeakAndLoudness)
{
    ebur128_state* state = ebur128_init(2, kRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK);
    ebur128_add_frames_float(state, samples.data(), frames());
    double lufs = 0.0, peakL = 0.0, peakR = 0.0, truePeakL = 0.0, truePeakR = 0.0;
    ebur128_loudness_global(state, &lufs);
    ebur128_sample_peak(state, 0, &peakL);
    ebur128_sample_peak(state, 1, &peakR);
    ebur128_true_peak(state, 0, &truePeakL);
    ebur128_true_peak(state, 1, &truePeakR);
    ebur128_destroy(&state);

    EXPECT_NEAR(lufs, -16.0, 1.5);
    EXPECT_LE(20.0 * std::log10(std::max(peakL, peakR)), -1.0);
    std::printf("integrated %.2f LUFS, sample peak %.2f dBFS, true peak %.2f dBTP\n", lufs,
                20.0 * std::log10(std::max(peakL, peakR)), 20.0 * std::log10(std::max(truePeakL, truePeakR)));
}

TEST_F(Soundtrack, HasNoDcOffsetAndEndsInSilence)
{
    double sum[2] = {0.0, 0.0};
    for (std::size_t i = 0; i < samples.size(); ++i)
        sum[i % 2] += samples[i];
    EXPECT_LT(std::fabs(sum[0] / static_cast<double>(frames())), 1e-4);
    EXPECT_LT(std::fabs(sum[1] / static_cast<double>(frames())), 1e-4);

    const std::size_t tail = at(0.2);
    for (std::size_t i = samples.size() - 2 * tail; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 0.0f) << "sample " << i << " of the last 0.2 s";
}

// Its form follows the pictures: quiet drops, the drive louder, sound up to the white.
TEST_F(Soundtrack, SectionsFollowTheSchedule)
{
    const double drops = loudness(0, at(20.0));
    const double tree = loudness(at(22.0), at(37.0));
    const double drive = loudness(at(38.0), at(56.0));
    EXPECT_GT(drops, -40.0);
    EXPECT_GT(tree, drops + 2.0);
    EXPECT_GT(drive, drops + 4.0);
    EXPECT_GT(loudness(at(69.0), at(71.0)), -40.0);

    // The impact is the loudest instant: the highest short peak lies at 63.25 s.
    float loudest = 0.0f;
    std::size_t loudestFrame = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) > loudest) {
            loudest = std::fabs(samples[i]);
            loudestFrame = i / 2;
        }
    }
    EXPECT_NEAR(static_cast<double>(loudestFrame) / kRate, 63.25, 0.5);
}

TEST_F(Soundtrack, ComposerWritesTheSameBytesEveryTime)
{
    const std::string path = testing::TempDir() + "umf-again.wav";
    const std::string command = std::string("\"") + UMBRAFEN_COMPOSER_PATH + "\" \"" + path + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto again = readFile(path);
    std::remove(path.c_str());
    EXPECT_TRUE(again == bytes);
}
