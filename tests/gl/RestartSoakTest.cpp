// A hundred plays in one process, as a demo left on a loop at a show: Space,
// the arrow keys to the end, the surface deleting itself, Space again. The
// fake clock makes a cycle take milliseconds instead of 75 s.

#include "base/LiveCounts.h"
#include "support/WindowFixture.h"

#include <QOpenGLContext>
#include <QTest>

#include <cstdio>
#include <vector>

namespace {

// Under AddressSanitizer a cycle is several times slower and resident size
// grows with its quarantine, so the sanitizer build runs fewer cycles and
// checks only the counts.
constexpr int kCycles = kSanitizerBuild ? 40 : 100;
constexpr int kSettledCycle = 10;  // allocator pools and driver caches are warm by now
constexpr double kMemoryTolerance = 0.05;

using RestartSoak = WindowFixture;

} // namespace

TEST_F(RestartSoak, HundredRestartsLeaveNothingBehindAndKeepMemoryFlat)
{
    // Every surface opens a device: SDL's dummy one, whatever ran before.
    qputenv("SDL_AUDIODRIVER", "dummy");
    ASSERT_EQ(liveObjects(), kNothingLive);
    int contextsMade = 0;
    int contextsGone = 0;
    std::vector<long> rss;
    std::vector<int> threads;
    std::vector<int> descriptors;

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        QPointer<MainWidget> surface = start();
        ASSERT_FALSE(surface.isNull()) << "cycle " << cycle;
        QOpenGLContext* context = surface->context()->contextHandle();
        ASSERT_NE(context, nullptr);
        ++contextsMade;
        QObject::connect(context, &QObject::destroyed, [&contextsGone] { ++contextsGone; });
        EXPECT_EQ(base::liveCount(base::Counted::Surfaces), 1);
        EXPECT_GT(base::liveCount(base::Counted::SceneComponents), 4);
        EXPECT_EQ(base::liveCount(base::Counted::AudioDevices), 1);
        EXPECT_EQ(base::liveCount(base::Counted::AudioStreams), 1);

        ASSERT_GE(endDemo(), 0) << "cycle " << cycle;
        EXPECT_EQ(window.centralWidget(), nullptr);
        ASSERT_EQ(liveObjects(), kNothingLive) << "cycle " << cycle;
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
