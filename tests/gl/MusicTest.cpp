// The surface's music: the compiled-in soundtrack through the audio layer, with
// SDL's disk driver standing in for a sound card.

#include "app/MainWidget.h"
#include "app/MainWindow.h"
#include "audio/Soundtrack.h"
#include "support/FakeClock.h"
#include "support/NeedsDisplay.h"

#include <QPointer>
#include <QResource>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kWavHeaderBytes = 44;

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::size_t firstSound(const unsigned char* bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size && bytes[i] == 0)
        ++i;
    return i & ~std::size_t{3};  // the frame it lies in
}

class Music : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            delete widget;
        unsetenv("SDL_AUDIODRIVER");
    }

    static void useDiskDriver(const std::string& path, const char* delayMs)
    {
        std::remove(path.c_str());
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    }

    static MainWidget* showSurface()
    {
        auto* surface = new MainWidget(nullptr);
        surface->resize(160, 90);
        surface->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(surface));
        return surface;
    }

    FakeClock clock;
};

} // namespace

TEST_F(Music, SoundtrackIsCompiledInUncompressed)
{
    QResource wav(QString::fromLatin1(kSoundtrackResource));
    ASSERT_TRUE(wav.isValid());
    EXPECT_EQ(wav.compressionAlgorithm(), QResource::NoCompression);
    EXPECT_EQ(wav.size(), 12932360);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(wav.data()), 4), QByteArray("RIFF"));
    EXPECT_FALSE(QResource(QStringLiteral(":/xm/umf.xm")).isValid());
}

TEST_F(Music, WithoutADeviceOneErrorLineAndThePicturesGoOn)
{
    SKIP_WITHOUT_A_DISPLAY();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    QPointer<MainWidget> surface = showSurface();
    const int before = clock.readCount();
    QTest::qWait(300);
    EXPECT_GE(clock.readCount() - before, 5);  // frames keep coming
    delete surface;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "BASS error: 3\n");
}

// Space after the end makes a new surface: the music starts again from its first sample.
TEST_F(Music, EachSurfacePlaysTheSoundtrackFromItsStart)
{
    SKIP_WITHOUT_A_DISPLAY();
    QResource wav(QString::fromLatin1(kSoundtrackResource));
    ASSERT_TRUE(wav.isValid());
    const unsigned char* samples = wav.data() + kWavHeaderBytes;
    const auto sampleBytes = static_cast<std::size_t>(wav.size()) - kWavHeaderBytes;
    const std::size_t musicStart = firstSound(samples, sampleBytes);
    const std::size_t wanted = musicStart + 176400;  // a second past the first sound

    for (int round = 0; round < 2; ++round) {
        const std::string path = testing::TempDir() + "music-round" + std::to_string(round) + ".raw";
        useDiskDriver(path, "2");  // about ten times real time
        QPointer<MainWidget> surface = showSurface();
        for (int i = 0; i < 300 && readFile(path).size() < wanted + 65536; ++i)
            QTest::qWait(10);
        delete surface;

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

TEST_F(Music, ClosingTheWindowWhileMusicPlaysEndsWithinASecond)
{
    SKIP_WITHOUT_A_DISPLAY();
    const std::string path = testing::TempDir() + "music-close.raw";
    useDiskDriver(path, "23");  // real time
    auto* window = new MainWindow(nullptr);
    window->resize(160, 90);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::keyClick(window, Qt::Key_Space);
    QTest::qWait(300);
    ASSERT_GT(readFile(path).size(), 0u);

    const auto start = std::chrono::steady_clock::now();
    window->close();
    delete window;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const std::size_t size = readFile(path).size();
    QTest::qWait(100);
    EXPECT_EQ(readFile(path).size(), size);  // the audio thread is gone
    std::remove(path.c_str());
}
