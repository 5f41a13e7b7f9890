// The audio layer against SDL's disk driver, which writes what the device
// receives to a file, and against a driver that does not exist.

#include "WavBytes.h"

#include "audio/AudioLayer.h"
#include "audio/BassPlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The device plays silence from BASS_Init on; what a stream played starts
// with the first frame that is not silent.
void dropLeadingSilence(std::vector<unsigned char>& raw)
{
    std::size_t frame = 0;
    while (frame + 4 <= raw.size() && raw[frame] == 0 && raw[frame + 1] == 0 && raw[frame + 2] == 0 &&
           raw[frame + 3] == 0)
        frame += 4;
    raw.erase(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(frame));
}

bool allZero(const std::vector<unsigned char>& bytes, std::size_t from, std::size_t to)
{
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())),
                       bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())),
                       [](unsigned char b) { return b == 0; });
}

std::vector<std::int16_t> asSamples(const std::vector<unsigned char>& bytes)
{
    std::vector<std::int16_t> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

class AudioLayer : public testing::Test
{
protected:
    void SetUp() override { useDiskDriver("1"); }

    void TearDown() override
    {
        BASS_Free();
        std::remove(outputPath.c_str());
    }

    // A file of this run's own (tests may run side by side); a short delay
    // per device buffer plays many times faster than real time.
    void useDiskDriver(const char* delayMs)
    {
        outputPath =
            testing::TempDir() + "audio-layer-" + std::to_string(getpid()) + "-" + std::to_string(++runs) + ".raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    }

    // Opens the device at `rate` and plays the file from memory.
    static AudioHandle play(const std::vector<unsigned char>& wav, std::uint32_t rate = 44100)
    {
        EXPECT_TRUE(BASS_Init(kAudioDefaultDevice, rate, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
        const AudioHandle stream = BASS_StreamCreateFile(true, wav.data(), 0, wav.size(), 0);
        EXPECT_NE(stream, 0u) << BASS_ErrorGetCode();
        EXPECT_TRUE(BASS_ChannelPlay(stream, false));
        return stream;
    }

    // What the device received from its first sound on, once that is `bytes`
    // long (or after 10 s).
    std::vector<unsigned char> waitForSound(std::size_t bytes) const
    {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        std::vector<unsigned char> raw;
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            raw = readFile(outputPath);
            dropLeadingSilence(raw);
        } while (raw.size() < bytes && Clock::now() < deadline);
        return raw;
    }

    // The same, then closes the device and returns all it received from the
    // first sound on, at least `bytes` so a short result fails the comparisons.
    std::vector<unsigned char> receivedAfter(std::size_t bytes)
    {
        waitForSound(bytes);
        EXPECT_TRUE(BASS_Free());
        std::vector<unsigned char> raw = readFile(outputPath);
        dropLeadingSilence(raw);
        EXPECT_GE(raw.size(), bytes);
        raw.resize(std::max(raw.size(), bytes));
        return raw;
    }

    static int runs;
    std::string outputPath;
};

int AudioLayer::runs = 0;

} // namespace

// Space after the end of the demo: the whole life cycle again, in one process.
TEST_F(AudioLayer, EachInitPlaysTheSamplesFromTheFirstOnThenSilence)
{
    const auto wav = patternWav(20000);
    const std::size_t dataBytes = wav.size() - kWavHeaderBytes;
    for (int round = 0; round < 3; ++round) {
        if (round > 0) {
            std::remove(outputPath.c_str());
            useDiskDriver("1");
        }
        const AudioHandle stream = play(wav);
        const auto got = receivedAfter(dataBytes + 16384);
        EXPECT_TRUE(std::equal(wav.begin() + kWavHeaderBytes, wav.end(), got.begin())) << "round " << round;
        EXPECT_TRUE(allZero(got, dataBytes, got.size())) << "round " << round;
        EXPECT_FALSE(BASS_ChannelPlay(stream, false));  // freed with the device
        EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorBadHandle);
    }
}

TEST_F(AudioLayer, MonoFileReachesBothSidesOfTheStereoDevice)
{
    const auto wav = patternWav(6000, 1, 7);
    play(wav);
    const auto got = asSamples(receivedAfter(4 * 6000 + 8192));
    const std::vector<std::int16_t> sent = patternSamples(6000, 7);
    int worst = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        worst = std::max(worst, std::abs(got[2 * i] - sent[i]));
        worst = std::max(worst, std::abs(got[2 * i + 1] - sent[i]));
    }
    EXPECT_LE(worst, 1);  // rounding only
}

// A device at 48 kHz must not play the 44.1 kHz music fast or high.
TEST_F(AudioLayer, OtherDeviceRateKeepsSpeedAndPitch)
{
    constexpr double kHz = 441.0;
    constexpr std::size_t kFrames = 44100 / 2;
    WavSpec spec;
    for (std::size_t n = 0; n < kFrames; ++n) {
        const auto s = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * kHz * n / 44100.0)));
        spec.samples.push_back(s);
        spec.samples.push_back(s);
    }
    const auto wav = makeWav(spec);
    play(wav, 48000);
    const auto got = asSamples(receivedAfter(kFrames * 4 * 48 / 44 + 16384));

    // Length: the last loud sample, in device frames.
    std::size_t last = 0, crossings = 0;
    for (std::size_t i = 0; i + 2 < got.size(); i += 2) {
        if (std::abs(got[i]) > 1000)
            last = i / 2;
        if (got[i] < 0 && got[i + 2] >= 0 && i / 2 < 23000)
            ++crossings;
    }
    EXPECT_NEAR(static_cast<double>(last), kFrames * 48000.0 / 44100.0, 100.0);
    // The first 23,000 frames at 48 kHz hold 211.3 rising zero crossings of a 441 Hz tone.
    EXPECT_NEAR(static_cast<double>(crossings), 211.0, 1.0);
}

TEST_F(AudioLayer, FreeWhilePlayingReturnsWithinASecond)
{
    useDiskDriver("20");  // about real time
    const auto wav = patternWav(44100 * 5);
    play(wav);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = Clock::now();
    EXPECT_TRUE(BASS_Free());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    const std::size_t size = readFile(outputPath).size();
    EXPECT_GT(size, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(readFile(outputPath).size(), size);  // nothing plays on after Free
}

TEST_F(AudioLayer, CallsReportTheirErrors)
{
    const auto wav = patternWav(32);

    EXPECT_EQ(BASS_StreamCreateFile(true, wav.data(), 0, wav.size(), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotInitialised);
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotInitialised);
    EXPECT_FALSE(BASS_Init(-2, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorBadArgument);

    ASSERT_TRUE(BASS_Init(kAudioDefaultDevice, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioOk);
    EXPECT_FALSE(BASS_Init(kAudioDefaultDevice, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorAlreadyInitialised);

    const struct
    {
        bool memory;
        const void* file;
        std::uint64_t offset, length;
        std::uint32_t flags;
        int error;
    } kCases[] = {
        {true, nullptr, 0, 100, 0, kAudioErrorBadArgument},
        {true, wav.data(), 0, 0, 0, kAudioErrorNotPlayable},
        {true, wav.data(), 0, 40, 0, kAudioErrorNotPlayable},
        {true, wav.data(), 0, wav.size() - 1, 0, kAudioErrorNotPlayable},
        {true, wav.data(), 2, wav.size(), 0, kAudioErrorBadArgument},
        {true, wav.data(), 0, wav.size(), 0x10, kAudioErrorBadArgument},
        {false, "music.wav", 0, 0, 0, kAudioErrorNotSupported},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(BASS_StreamCreateFile(c.memory, c.file, c.offset, c.length, c.flags), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), c.error);
    }
    EXPECT_FALSE(BASS_ChannelPlay(12345, false));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorBadHandle);
    EXPECT_FALSE(BASS_ChannelStop(0));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorBadHandle);
    const AudioHandle stream = BASS_StreamCreateFile(true, wav.data(), 0, wav.size(), 0);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(BASS_ChannelStop(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioOk);
}

// A player that cannot make its stream prints one line naming the error and
// stays usable (without a driver, the failed set-up shows as the stream's
// error); one that can prints nothing and releases the device.
TEST(BassPlayer, ReportsAFailedStreamInOneLineAndReleasesTheDevice)
{
    const struct
    {
        const char* driver;
        bool withData;
        int code;  // kAudioOk: the stream plays
    } kCases[] = {
        {"no-such-driver", true, kAudioErrorNoDevice},
        {"dummy", false, kAudioErrorBadArgument},  // a missing resource: null data, size 0
        {"dummy", true, kAudioOk},
    };
    auto wav = patternWav(2205);
    for (const auto& c : kCases) {
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        testing::internal::CaptureStdout();
        {
            BassPlay player(c.withData ? wav.data() : nullptr, c.withData ? wav.size() : 0);
            EXPECT_EQ(player.streamHandle() != 0, c.code == kAudioOk) << c.driver;
            player.play();
            player.stop();
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  c.code == kAudioOk ? "" : "BASS error: " + std::to_string(c.code) + "\n")
            << c.driver;
        // Released: the layer can be initialised afresh.
        const bool hasDevice = std::string(c.driver) == "dummy";
        EXPECT_EQ(BASS_Init(kAudioDefaultDevice, 44100, 0, nullptr, nullptr), hasDevice) << c.driver;
        BASS_Free();
    }
}
