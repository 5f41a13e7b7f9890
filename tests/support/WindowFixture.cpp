#include "support/WindowFixture.h"

#include "base/LiveCounts.h"
#include "support/GlTestContext.h"

#include <QElapsedTimer>
#include <QTest>

#include <SDL.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr int kDownPressesToTheEnd = 10;  // 80 s of demo time
std::int64_t clockNanos = 0;
int clockReadCount = 0;

std::int64_t fakeNow()
{
    ++clockReadCount;
    return clockNanos;
}

} // namespace

WindowFixture::WindowFixture()
{
    clockNanos = 1'000'000'000'000;
    clockReadCount = 0;
    MainWidget::setClock(&fakeNow);
    driver = qgetenv("SDL_AUDIODRIVER");
}

WindowFixture::~WindowFixture()
{
    MainWidget::setClock(nullptr);
}

void WindowFixture::SetUp()
{
    SKIP_WITHOUT_A_DISPLAY();
    window.resize(320, 180);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

void WindowFixture::TearDown()
{
    qputenv("SDL_AUDIODRIVER", driver);
}

void WindowFixture::advance(double seconds)
{
    clockNanos += static_cast<std::int64_t>(seconds * 1e9);
}

bool WindowFixture::waitForFrames(int frames, int withinMs)
{
    const int target = clockReadCount + frames;
    return QTest::qWaitFor([target] { return clockReadCount >= target; }, withinMs);
}

QPointer<MainWidget> WindowFixture::start(int frames)
{
    QTest::keyClick(&window, Qt::Key_Space);
    QPointer<MainWidget> surface = window.surface();
    EXPECT_FALSE(surface.isNull());
    // One read as it starts, one per frame.
    EXPECT_TRUE(waitForFrames(1 + frames)) << "the pictures stopped";
    return surface;
}

qint64 WindowFixture::endDemo()
{
    QPointer<MainWidget> surface = window.surface();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kDownPressesToTheEnd; ++i)
        QTest::keyClick(&window, Qt::Key_Down);
    return QTest::qWaitFor([&] { return surface.isNull(); }, 5000) ? timer.elapsed() : -1;
}

void WindowFixture::useDiskAudio(const std::string& path, const char* delayMs)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delayMs, 1);
}

void WindowFixture::expectFramePathPixels(QPointer<MainWidget>& surface, std::initializer_list<double> times)
{
    double shown = 0.0;
    for (double t : times) {
        ASSERT_FALSE(surface.isNull()) << "gone before " << t << " s";
        advance(t - shown);
        shown = t;
        surface->updateGL();
        const QImage windowFrame = surface->grabFrameBuffer().convertToFormat(QImage::Format_RGB32);
        const QImage expected = framePathFrame(windowFrame.width(), windowFrame.height(), static_cast<float>(t));
        surface->makeCurrent();
        EXPECT_TRUE(windowFrame == expected) << "at " << t << " s";
    }
    advance(-shown);
}

std::string liveObjects()
{
    using base::Counted;
    std::ostringstream s;
    s << base::liveCount(Counted::Surfaces) << " surfaces, " << base::liveCount(Counted::SceneComponents)
      << " components, " << base::liveCount(Counted::AudioDevices) << " audio devices, "
      << base::liveCount(Counted::AudioStreams) << " streams, SDL audio "
      << (SDL_WasInit(SDL_INIT_AUDIO) != 0 ? "on" : "off");
    return s.str();
}

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int procEntries(const char* directory)
{
    int count = 0;
    if (DIR* dir = opendir(directory)) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(dir);
    }
    return count;
}
