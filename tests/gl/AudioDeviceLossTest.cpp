// Machines without sound, and sound that goes away while the demo plays: the
// pictures play on, the error is reported once per surface, and nothing of the
// audio layer is left behind. SDL's disk driver stands in for a sound card; a
// device whose writes fail is one that has vanished.

#include "app/MainWindow.h"
#include "support/FakeClock.h"
#include "support/LiveObjects.h"
#include "support/NeedsDisplay.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kDownPressesToTheEnd = 10;

class AudioDeviceLoss : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_A_DISPLAY();
        for (const char* name : kDriverVariables)
            savedDrivers.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        window.resize(160, 90);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Later tests in this process get the driver they had.
    void TearDown() override
    {
        for (const auto& [name, value, set] : savedDrivers) {
            if (set)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

    static void useDiskDriver(const std::string& path, const char* delayMs)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    }

    // Space, then waits until the surface has drawn `frames` frames.
    QPointer<MainWidget> startAndPaint(int frames)
    {
        const int before = clock.readCount();
        QTest::keyClick(&window, Qt::Key_Space);
        QPointer<MainWidget> surface = window.surface();
        EXPECT_FALSE(surface.isNull());
        EXPECT_TRUE(QTest::qWaitFor([&] { return clock.readCount() >= before + 1 + frames; }, 5000))
            << "the pictures stopped";
        return surface;
    }

    // The arrow keys to the end; returns how long the surface took to go.
    qint64 endAndTime(QPointer<MainWidget>& surface)
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kDownPressesToTheEnd; ++i)
            QTest::keyClick(&window, Qt::Key_Down);
        EXPECT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000));
        return timer.elapsed();
    }

    static constexpr const char* kDriverVariables[] = {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"};
    std::vector<std::tuple<const char*, QByteArray, bool>> savedDrivers;
    FakeClock clock;
    MainWindow window;
};

qint64 fileSize(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).size();
}

} // namespace

TEST_F(AudioDeviceLoss, WithoutADeviceEachSurfacePrintsOneLineAndThePicturesPlay)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    for (int round = 0; round < 3; ++round) {
        QPointer<MainWidget> surface = startAndPaint(10);
        EXPECT_EQ(base::liveCount(base::Counted::AudioDevices), 0);
        EXPECT_EQ(base::liveCount(base::Counted::AudioStreams), 0);
        endAndTime(surface);
        EXPECT_EQ(LiveObjects::now(), LiveObjects{}) << "round " << round;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "BASS error: 3\nBASS error: 3\nBASS error: 3\n");
}

// Every write to /dev/full fails: the device opens and is lost at its first buffer.
TEST_F(AudioDeviceLoss, DeviceLostAtOnceLeavesThePicturesPlaying)
{
    useDiskDriver("/dev/full", "2");
    testing::internal::CaptureStdout();
    QPointer<MainWidget> surface = startAndPaint(10);
    EXPECT_EQ(base::liveCount(base::Counted::AudioDevices), 1);
    EXPECT_EQ(base::liveCount(base::Counted::AudioStreams), 1);
    QTest::qWait(100);
    const int before = clock.readCount();
    QTest::qWait(200);
    EXPECT_GT(clock.readCount(), before + 5) << "frames keep coming";
    const qint64 ms = endAndTime(surface);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the stream was made; the loss is silent";
    std::printf("device lost at once: surface gone %lld ms after the end keys\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(LiveObjects::now(), LiveObjects{});
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

    useDiskDriver(lost, "2");
    QPointer<MainWidget> surface = startAndPaint(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSize(lost) >= static_cast<qint64>(kLimitBytes); }, 10000))
        << "the music did not reach the limit";
    const int before = clock.readCount();
    QTest::qWait(300);
    EXPECT_GT(clock.readCount(), before + 5) << "frames keep coming after the device is lost";
    EXPECT_EQ(fileSize(lost), static_cast<qint64>(kLimitBytes));
    const qint64 ms = endAndTime(surface);
    std::printf("device lost while playing: surface gone %lld ms after the end keys\n", static_cast<long long>(ms));
    EXPECT_LT(ms, 1000);
    EXPECT_EQ(LiveObjects::now(), LiveObjects{});

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousSignal);
    useDiskDriver(next, "2");
    surface = startAndPaint(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileSize(next) > static_cast<qint64>(kLimitBytes); }, 10000))
        << "a new surface plays the music again";
    endAndTime(surface);
    EXPECT_EQ(LiveObjects::now(), LiveObjects{});
    std::remove(lost.c_str());
    std::remove(next.c_str());
}
