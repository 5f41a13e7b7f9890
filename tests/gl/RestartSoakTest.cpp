// A hundred plays in one process, as a demo left on a loop at a show: Space,
// the arrow keys to the end, the surface deleting itself, Space again. The
// fake clock makes a cycle take milliseconds instead of 75 s.

#include "app/MainWindow.h"
#include "support/FakeClock.h"
#include "support/LiveObjects.h"
#include "support/NeedsDisplay.h"

#include <QOpenGLContext>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// Under AddressSanitizer a cycle is several times slower and resident size
// grows with its quarantine, so the sanitizer build runs fewer cycles and
// checks only the counts.
constexpr int kCycles = kSanitizerBuild ? 40 : 100;
constexpr int kSettledCycle = 10;  // allocator pools and driver caches are warm by now
constexpr double kMemoryTolerance = 0.05;
constexpr int kDownPressesToTheEnd = 10;  // 80 s of demo time

} // namespace

TEST(RestartSoak, HundredRestartsLeaveNothingBehindAndKeepMemoryFlat)
{
    SKIP_WITHOUT_A_DISPLAY();
    // Every surface opens a device: SDL's dummy one, whatever ran before.
    qputenv("SDL_AUDIODRIVER", "dummy");
    FakeClock clock;
    MainWindow window;
    window.resize(320, 180);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const LiveObjects idle = LiveObjects::now();
    ASSERT_EQ(idle, LiveObjects{});
    int contextsMade = 0;
    int contextsGone = 0;
    std::vector<long> rss;
    std::vector<int> threads;
    std::vector<int> descriptors;

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        const int readsBefore = clock.readCount();
        QTest::keyClick(&window, Qt::Key_Space);
        QPointer<MainWidget> surface = window.surface();
        ASSERT_FALSE(surface.isNull()) << "cycle " << cycle;
        // Initialised (one clock read) and at least one frame painted (another).
        ASSERT_TRUE(QTest::qWaitFor([&] { return clock.readCount() >= readsBefore + 2; }, 5000))
            << "cycle " << cycle;
        QOpenGLContext* context = surface->context()->contextHandle();
        ASSERT_NE(context, nullptr);
        ++contextsMade;
        QObject::connect(context, &QObject::destroyed, [&contextsGone] { ++contextsGone; });
        const LiveObjects playing = LiveObjects::now();
        EXPECT_EQ(playing.surfaces, 1);
        EXPECT_GT(playing.components, 4);
        EXPECT_EQ(playing.audioDevices, 1);
        EXPECT_EQ(playing.audioStreams, 1);

        for (int i = 0; i < kDownPressesToTheEnd; ++i)
            QTest::keyClick(&window, Qt::Key_Down);
        ASSERT_TRUE(QTest::qWaitFor([&] { return surface.isNull(); }, 5000)) << "cycle " << cycle;
        EXPECT_EQ(window.centralWidget(), nullptr);
        EXPECT_EQ(window.surface(), nullptr);
        ASSERT_EQ(LiveObjects::now(), idle) << "cycle " << cycle;
        ASSERT_EQ(contextsGone, contextsMade) << "cycle " << cycle;

        rss.push_back(residentKiB());
        threads.push_back(procEntries("/proc/self/task"));
        descriptors.push_back(procEntries("/proc/self/fd"));
        if (cycle == 1 || cycle % 10 == 0)
            std::printf("cycle %3d: resident %ld KiB, %d threads, %d descriptors\n", cycle, rss.back(),
                        threads.back(), descriptors.back());
    }

    const std::size_t settled = kSettledCycle - 1;
    EXPECT_EQ(threads.back(), threads[settled]);
    EXPECT_EQ(descriptors.back(), descriptors[settled]);
    if (!kSanitizerBuild) {
        EXPECT_LE(static_cast<double>(rss.back()), static_cast<double>(rss[settled]) * (1.0 + kMemoryTolerance))
            << "resident " << rss[settled] << " KiB at cycle " << kSettledCycle << ", " << rss.back()
            << " KiB at cycle " << kCycles;
    }

    // After all that, a demo still starts.
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_NE(window.surface(), nullptr);
}
