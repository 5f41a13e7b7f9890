// The real program, closed every way a user or the system closes it: the close
// button (the WM_DELETE_WINDOW message a window manager sends), SIGINT, SIGTERM,
// SIGHUP and its window destroyed by another client; before Space, while the
// music plays and while the surface is on its way out. And its window made as
// large as X allows.

#include "app/MainWidget.h"
#include "support/NeedsDisplay.h"
#include "support/ProgramRun.h"
#include "support/RealProgram.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <X11/keysym.h>

namespace {

constexpr int kCloseLimitMs = 1000;
constexpr int kStartLimitMs = 20000;
constexpr int kDownPressesToTheEnd = 10;

enum class Moment { BeforeSpace, WhilePlaying, WhileTheSurfaceGoes };

struct ClosingWay
{
    Closing how;
    const char* name;
};

constexpr ClosingWay kClosingWays[] = {
    {Closing::CloseButton, "the close button"}, {Closing::Interrupt, "SIGINT"},
    {Closing::Terminate, "SIGTERM"},            {Closing::HangUp, "SIGHUP"},
    {Closing::WindowDestroyed, "the window destroyed from outside"},
};

// After the arrow keys end the demo, the close comes at the last frame, during
// the surface's deletion or just after it; each way gets another of these.
constexpr int kSurfaceGoesDelaysMs[] = {0, 2, 8, 32, 64};

// The largest window X allows.
constexpr int kHugeSide = 32767;
constexpr int kHugeResizes = 20;
// Playing at 640 x 360 takes about 130 MiB (up to 550 with the sanitizers);
// the largest frame's three buffers alone take 768 MiB.
constexpr qint64 kSettledMiB = 768;
constexpr int kSettledForMs = 1000;
constexpr int kAskAgainMs = 2000;

class CloseProgram : public ::testing::Test
{
protected:
    void SetUp() override { SKIP_WITHOUT_A_DISPLAY(); }

    // Music to a file at real-time pace through SDL's disk driver: the file
    // grows while a surface plays and stops when its device is closed.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = programEnvironment();
        // As a desktop session has it.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
        env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), musicPath());
        return env;
    }

    QString musicPath() const { return directory.filePath(QStringLiteral("music.raw")); }

    bool musicGrows(int withinMs) const
    {
        const qint64 before = QFileInfo(musicPath()).size();
        return RealProgram::waitFor([&] { return QFileInfo(musicPath()).size() > before; }, withinMs);
    }

    // Ended in time with status 0 and nothing said about an error (an X or GL
    // error, a failed framebuffer).
    static void expectCleanExit(RealProgram& program, qint64 milliseconds, const char* when)
    {
        std::printf("closed %s: exit after %lld ms\n", when, static_cast<long long>(milliseconds));
        EXPECT_GE(milliseconds, 0) << when << ": still running";
        EXPECT_LT(milliseconds, kCloseLimitMs) << when;
        EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit) << when;
        EXPECT_EQ(program.process.exitCode(), 0) << when;
        const QByteArray errors = program.process.readAllStandardError();
        EXPECT_FALSE(errors.contains("rror") || errors.contains("GL_") || errors.contains("ramebuffer"))
            << when << ": " << errors.toStdString();
    }

    static void startDemo(RealProgram& program)
    {
        program.press(XK_space);
        ASSERT_TRUE(RealProgram::waitFor([&] { return program.centreIsWhite(); }, kStartLimitMs))
            << "the surface never drew";
    }

    QTemporaryDir directory;
};

} // namespace

TEST_F(CloseProgram, EveryWayOfClosingEndsCleanlyWithinASecond)
{
    int row = 0;
    for (const ClosingWay& way : kClosingWays) {
        const int delayMs = kSurfaceGoesDelaysMs[row++];
        for (Moment moment : {Moment::BeforeSpace, Moment::WhilePlaying, Moment::WhileTheSurfaceGoes}) {
            QFile::remove(musicPath());
            RealProgram program(environment());
            ASSERT_TRUE(program.waitForWindow());
            std::string when = std::string(way.name) + " before Space";
            if (moment != Moment::BeforeSpace) {
                startDemo(program);
                ASSERT_TRUE(musicGrows(2000));
                when = std::string(way.name) + " while the music plays";
            }
            if (moment == Moment::WhileTheSurfaceGoes) {
                for (int i = 0; i < kDownPressesToTheEnd; ++i)
                    program.press(XK_Down);
                if (delayMs > 0)
                    QTest::qSleep(delayMs);
                when = std::string(way.name) + " at " + std::to_string(delayMs) + " ms after the end";
            }
            expectCleanExit(program, program.closeAndTime(way.how), when.c_str());
            if (moment == Moment::BeforeSpace) {
                EXPECT_FALSE(QFileInfo::exists(musicPath())) << "no music before Space";
            }
        }
    }
}

// Without a window manager another client may make the window as large as X
// allows, far beyond any buffer GL can draw: the window goes back within its
// maximum, the surface never exceeds the largest frame, and the demo plays on
// through sizes switching back and forth. Runs again at QT_SCALE_FACTOR=2.
TEST_F(CloseProgram, HugeWindowSizesKeepItPlaying)
{
    RealProgram program(environment());
    ASSERT_TRUE(program.waitForWindow());
    startDemo(program);
    program.resizeWindow(kHugeSide, kHugeSide);
    ASSERT_TRUE(RealProgram::waitFor([&] { return program.size(true).width() > 640; }, 30000));
    EXPECT_LE(program.size(true).width(), MainWidget::kLargestSide);
    EXPECT_LE(program.size(true).height(), MainWidget::kLargestSide);
    EXPECT_TRUE(RealProgram::waitFor([&] { return program.size().width() <= MainWidget::kLargestSide; }, 5000))
        << "the window stays " << program.size().width() << " wide";
    for (int i = 1; i <= kHugeResizes; ++i) {
        const bool huge = i % 2 == 0;
        program.resizeWindow(huge ? kHugeSide : 640, huge ? kHugeSide : 360);
        QTest::qSleep(150);
        ASSERT_EQ(program.process.state(), QProcess::Running) << "after " << i << " resizes";
    }
    // Settled at the small size, with the largest frame's buffers given back.
    // Without a window manager to order them, the program's late correction of
    // a huge size may undo a small one asked for just before: it is asked again.
    QElapsedTimer settled;
    QElapsedTimer asked;
    EXPECT_TRUE(RealProgram::waitFor(
        [&] {
            if (program.size() != QSize(640, 360) && (!asked.isValid() || asked.elapsed() > kAskAgainMs)) {
                program.resizeWindow(640, 360);
                asked.start();
            }
            if (program.size(true) != QSize(640, 360) || program.residentMiB() >= kSettledMiB)
                settled.invalidate();
            else if (!settled.isValid())
                settled.start();
            return settled.isValid() && settled.elapsed() >= kSettledForMs;
        },
        30000))
        << program.residentMiB() << " MiB resident, surface " << program.size(true).width() << " wide";
    EXPECT_TRUE(musicGrows(2000)) << "still playing";
    expectCleanExit(program, program.closeAndTime(), "after the huge sizes");
}
