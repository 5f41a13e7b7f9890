#pragma once

// For the window tests. Sections: the fixture (the demo's window shown at
// 320 x 180 on the test's display, with a demo clock the test moves by hand) |
// what the surfaces leave behind (base/LiveCounts.h, and the system's view).

#include "app/MainWindow.h"
#include "support/NeedsDisplay.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

class WindowFixture : public ::testing::Test
{
protected:
    WindowFixture();
    ~WindowFixture() override;
    // Skipped without a display; shows the window.
    void SetUp() override;
    // Puts back the audio driver the test found.
    void TearDown() override;

    // The demo clock, moved by hand. A surface reads it once at its start and
    // once per frame: waitForFrames counts the reads.
    static void advance(double seconds);
    bool waitForFrames(int frames, int withinMs = 10000);

    // Space, then the surface once it has drawn `frames` frames.
    QPointer<MainWidget> start(int frames = 1);
    // The arrow keys to the end of the demo: the milliseconds until the surface
    // was gone, or -1 if it was still there after five seconds.
    qint64 endDemo();
    // The music through SDL's disk driver into `path`, `delayMs` per buffer (23 is real time).
    static void useDiskAudio(const std::string& path, const char* delayMs);
    // The surface shows, at each of `times`, what the shared frame path gives.
    void expectFramePathPixels(QPointer<MainWidget>& surface, std::initializer_list<double> times);

    MainWindow window;

private:
    QByteArray driver;
};

// The live counts of base/LiveCounts.h and whether SDL's audio is still up;
// kNothingLive once every surface is gone.
std::string liveObjects();
constexpr char kNothingLive[] = "0 surfaces, 0 components, 0 audio devices, 0 streams, SDL audio off";

// Resident set size of this process in KiB, and entries of a /proc/self
// directory (threads in "task", descriptors in "fd").
long residentKiB();
int procEntries(const char* directory);

// AddressSanitizer keeps freed memory in quarantine and slows everything down
// several times: resident size says nothing about leaks there, and long runs
// are cut short.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif
#else
constexpr bool kSanitizerBuild = false;
#endif
