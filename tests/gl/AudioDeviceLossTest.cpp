// The surface's music, with SDL's disk driver standing in for a sound card:
// each surface plays the compiled-in soundtrack from its first sample and
// stops it when it goes. And machines without sound, and sound that goes away
// while the demo plays (a device whose writes fail is one that has vanished):
// the pictures play on, the error is reported once per surface, and nothing
// of the audio layer is left behind.

#include "audio/Soundtrack.h"
#include "base/LiveCounts.h"
#include "support/WindowFixture.h"

#include <QFileInfo>
#include <QResource>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr std::size_t kWavHeaderBytes = 44;

qint64 fileSize(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).size();
}

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The first sample frame that is not silent.
std::size_t firstSound(const unsigned char* bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size && bytes[i] == 0)
        ++i;
    return i & ~std::size_t{3};
}

using Music = WindowFixture;
using AudioDeviceLoss = WindowFixture;

} // namespace

// Space after the end makes a new surface: the music starts again from its first sample.
TEST_F(Music, EachSurfacePlaysTheSoundtrackFromItsStart)
{
    QResource wav(QString::fromLatin1(kSoundtrackResource));
    ASSERT_TRUE(wav.isValid());
    const unsigned char* samples = wav.data() + kWavHeaderBytes;
    const std::size_t musicStart = firstSound(samples, static_cast<std::size_t>(wav.size()) - kWavHeaderBytes);
    const std::size_t wanted = musicStart + 176400;  // a second past the first sound

    for (int round = 0; round < 2; ++round) {
        const std::string path = testing::TempDir() + "music-round" + std::to_string(round) + ".raw";
        std::remove(path.c_str());
        useDiskAudio(path, "2");  // about ten times real time
        start();
        static_cast<void>(
            QTest::qWaitFor([&] { return fileSize(path) >= static_cast<qint64>(wanted + 65536); }, 3000));
        EXPECT_GE(endDemo(), 0);

        const auto got = readFile(path);
        std::remove(path.c_str());
        const std::size_t deviceStart = firstSound(got.data(), got.size());
        ASSERT_GE(got.size() - deviceStart, wanted - musicStart) << "round " << round;
        EXPECT_TRUE(std::equal(got.begin() + static_cast<std::ptrdiff_t>(deviceStart),
                               got.begin() + static_cast<std::ptrdiff_t>(deviceStart + wanted - musicStart),
                               samples + musicStart))
            << "round " << round;
    }
}

TEST_F(Music, PlayingAtRealTimeStopsWithinASecondOfTheEnd)
{
    const std::string path = testing::TempDir() + "music-end.raw";
    std::remove(path.c_str());
    useDiskAudio(path, "23");  // real time
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileSize(path) > 0; }, 2000));
    const qint64 ms = endDemo();
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
    const qint64 size = fileSize(path);
    QTest::qWait(100);
    EXPECT_EQ(fileSize(path), size) << "the audio thread is gone";
    std::remove(path.c_str());
}

TEST_F(AudioDeviceLoss, WithoutADeviceEachSurfacePrintsOneLineAndThePicturesPlay)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    for (int round = 0; round < 3; ++round) {
        start(10);
        EXPECT_EQ(base::liveCount(base::Counted::AudioDevices), 0);
        EXPECT_EQ(base::liveCount(base::Counted::AudioStreams), 0);
        EXPECT_GE(endDemo(), 0);
        EXPECT_EQ(liveObjects(), kNothingLive) << "round " << round;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "BASS error: 3\nBASS error: 3\nBASS error: 3\n");
}

// Every write to /dev/full fails: the device opens and is lost at its first buffer.
TEST_F(AudioDeviceLoss, DeviceLostAtOnceLeavesThePicturesPlaying)
{
    useDiskAudio("/dev/full", "2");
    testing::internal::CaptureStdout();
    start(10);
    EXPECT_EQ(base::liveCount(base::Counted::AudioDevices), 1);
    EXPECT_EQ(base::liveCount(base::Counted::AudioStreams), 1);
    QTest::qWait(100);
    EXPECT_TRUE(waitForFrames(5, 300)) << "frames keep coming";
    const qint64 ms = endDemo();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the stream was made; the loss is silent";
    std::printf("device lost at once: surface gone %lld ms after the end keys\n", static_cast<long long>(ms));
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(liveObjects(), kNothingLive);
}

// A file size limit makes the device fail part way through the music.
TEST_F(AudioDeviceLoss, DeviceLostWhilePlayingLeavesNothingAndTheNextSurfacePlaysAgain)
{
    constexpr rlim_t kLimitBytes = 256 * 1024;
    const std::string lost = testing::TempDir() + "device-lost-" + std::to_string(getpid()) + ".raw";
    const std::string next = testing::TempDir() + "device-next-" + std::to_string(getpid()) + ".raw";
    std::remove(lost.c_str());
    std::remove(next.c_str());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = kLimitBytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    useDiskAudio(lost, "2");
    start(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSize(lost) >= static_cast<qint64>(kLimitBytes); }, 10000))
        << "the music did not reach the limit";
    EXPECT_TRUE(waitForFrames(5, 300)) << "frames keep coming after the device is lost";
    EXPECT_EQ(fileSize(lost), static_cast<qint64>(kLimitBytes));
    const qint64 ms = endDemo();
    std::printf("device lost while playing: surface gone %lld ms after the end keys\n", static_cast<long long>(ms));
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(liveObjects(), kNothingLive);

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousSignal);
    useDiskAudio(next, "2");
    start(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSize(next) > static_cast<qint64>(kLimitBytes); }, 10000))
        << "a new surface plays the music again";
    EXPECT_GE(endDemo(), 0);
    EXPECT_EQ(liveObjects(), kNothingLive);
    std::remove(lost.c_str());
    std::remove(next.c_str());
}
