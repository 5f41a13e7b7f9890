// The real program, closed every way a user or the system closes it: the close
// button (the WM_DELETE_WINDOW message a window manager sends), SIGINT, SIGTERM,
// SIGHUP and its window destroyed by another client; before Space, while the
// music plays and while the surface is on its way out. And its window made as
// large as X allows. Keys reach it as X key events sent to its window; the
// program has no way of being driven that a user does not have.

#include "app/MainWidget.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

constexpr int kCloseLimitMs = 1000;
constexpr int kStartLimitMs = 20000;
constexpr int kDownPressesToTheEnd = 10;

enum class Closing { CloseButton, Interrupt, Terminate, HangUp, WindowDestroyed };
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

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};

// One run of the umbrafen program on this test's X display.
class Program
{
public:
    explicit Program(const QProcessEnvironment& environment)
        : display(XOpenDisplay(nullptr))
    {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(UMBRAFEN_PATH), QStringList());
    }

    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Waits for the program's window to be shown; false if it never is.
    bool waitForWindow()
    {
        if (!display || !process.waitForStarted())
            return false;
        QElapsedTimer waited;
        waited.start();
        while (window == 0 && waited.elapsed() < kStartLimitMs) {
            window = findWindow();
            QTest::qSleep(20);
        }
        // Let it settle into its event loop before the first input.
        return window != 0 && waitFor([this] { return isViewable(); }, kStartLimitMs);
    }

    void press(KeySym symbol)
    {
        XKeyEvent event{};
        event.display = display.get();
        event.window = window;
        event.root = DefaultRootWindow(display.get());
        event.time = CurrentTime;
        event.x = event.y = 1;
        event.same_screen = True;
        event.keycode = XKeysymToKeycode(display.get(), symbol);
        for (int type : {KeyPress, KeyRelease}) {
            event.type = type;
            XSendEvent(display.get(), window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                       reinterpret_cast<XEvent*>(&event));
        }
        XFlush(display.get());
    }

    // What a window manager sends when the user clicks the close button.
    void askToClose()
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display.get(), window, False, NoEventMask, &event);
        XFlush(display.get());
    }

    // Closes the program and returns the milliseconds until the process ended,
    // or -1 if it had not ended after several times the limit.
    qint64 closeAndTime(Closing how = Closing::CloseButton)
    {
        QElapsedTimer timer;
        timer.start();
        if (how == Closing::CloseButton)
            askToClose();
        else if (how == Closing::WindowDestroyed)
            XDestroyWindow(display.get(), window);
        else
            ::kill(static_cast<pid_t>(process.processId()),
                   how == Closing::Interrupt ? SIGINT : how == Closing::Terminate ? SIGTERM : SIGHUP);
        XFlush(display.get());
        if (!process.waitForFinished(kCloseLimitMs * 5))
            return -1;
        return timer.elapsed();
    }

    // What another client may do without a window manager: any size up to 32767.
    void resizeWindow(int w, int h)
    {
        XResizeWindow(display.get(), window, static_cast<unsigned>(w), static_cast<unsigned>(h));
        XFlush(display.get());
    }

    // The size of the program's window or, with `surface`, of the surface's
    // own X window (its only child once Space is pressed); empty if none.
    QSize size(bool surface = false)
    {
        Window rootOut = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XWindowAttributes attributes{};
        const bool found = XQueryTree(display.get(), window, &rootOut, &parent, &children, &count)
            && (!surface || count == 1) && XGetWindowAttributes(display.get(), surface ? children[0] : window, &attributes);
        if (children)
            XFree(children);
        return found ? QSize(attributes.width, attributes.height) : QSize();
    }

    // The centre of the window is white once the surface draws (every frame
    // clears to white); the empty window shows the toolkit's grey.
    bool centreIsWhite()
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display.get(), window, &attributes))
            return false;
        XImage* image = XGetImage(display.get(), window, attributes.width / 2, attributes.height / 2, 1, 1,
                                  AllPlanes, ZPixmap);
        if (!image)
            return false;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return pixel == 0xffffff;
    }

    // The program's resident memory in MiB, from /proc.
    qint64 residentMiB() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
        }
        return -1;
    }

    template <typename Condition>
    static bool waitFor(Condition done, int milliseconds)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done()) {
            if (waited.elapsed() > milliseconds)
                return false;
            QTest::qSleep(10);
        }
        return true;
    }

    QProcess process;

private:
    bool isViewable()
    {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display.get(), window, &attributes) && attributes.map_state == IsViewable;
    }

    // The program's top-level window: the one titled as the demo's and owned by this process.
    Window findWindow()
    {
        const Window root = DefaultRootWindow(display.get());
        Window rootOut = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (!XQueryTree(display.get(), root, &rootOut, &parent, &children, &count))
            return 0;
        const Atom pidAtom = XInternAtom(display.get(), "_NET_WM_PID", False);
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            char* name = nullptr;
            const bool titled = XFetchName(display.get(), children[i], &name) && name != nullptr
                && std::string(name) == "Umbrafen (press space to start)";
            if (name)
                XFree(name);
            if (titled && pidOf(children[i], pidAtom) == process.processId())
                found = children[i];
        }
        if (children)
            XFree(children);
        return found;
    }

    qint64 pidOf(Window candidate, Atom pidAtom)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        qint64 pid = -1;
        if (XGetWindowProperty(display.get(), candidate, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data)
                == Success
            && data != nullptr && items == 1)
            pid = static_cast<qint64>(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return pid;
    }

    std::unique_ptr<Display, DisplayCloser> display;
    Window window = 0;
};

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

class CloseProgram : public ::testing::Test
{
protected:
    // Music to a file at real-time pace through SDL's disk driver: the file
    // grows while a surface plays and stops when its device is closed.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
        env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), musicPath());
        // The program's own code is leak-checked in-process by the other tests;
        // here Qt unloads its platform plugin before the check runs, which makes
        // what the plugin keeps for the process look lost.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        return env;
    }

    QString musicPath() const { return directory.filePath(QStringLiteral("music.raw")); }

    bool musicGrows(int withinMs) const
    {
        const qint64 before = fileSize(musicPath());
        return Program::waitFor([&] { return fileSize(musicPath()) > before; }, withinMs);
    }

    // Ended in time with status 0 and nothing said about an error (an X or GL
    // error, a failed framebuffer).
    static void expectCleanExit(Program& program, qint64 milliseconds, const char* when)
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

    static void startDemo(Program& program)
    {
        program.press(XK_space);
        ASSERT_TRUE(Program::waitFor([&] { return program.centreIsWhite(); }, kStartLimitMs))
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
            Program program(environment());
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
    Program program(environment());
    ASSERT_TRUE(program.waitForWindow());
    startDemo(program);
    program.resizeWindow(kHugeSide, kHugeSide);
    ASSERT_TRUE(Program::waitFor([&] { return program.size(true).width() > 640; }, 30000));
    EXPECT_LE(program.size(true).width(), MainWidget::kLargestSide);
    EXPECT_LE(program.size(true).height(), MainWidget::kLargestSide);
    EXPECT_TRUE(Program::waitFor([&] { return program.size().width() <= MainWidget::kLargestSide; }, 5000))
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
    EXPECT_TRUE(Program::waitFor(
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

// The same keys really do end the demo: the music's device closes and the
// window waits for Space again.
TEST_F(CloseProgram, ArrowKeysEndTheDemoAndSpaceStartsItAgain)
{
    Program program(environment());
    ASSERT_TRUE(program.waitForWindow());
    startDemo(program);
    ASSERT_TRUE(musicGrows(2000));
    for (int i = 0; i < kDownPressesToTheEnd; ++i)
        program.press(XK_Down);
    ASSERT_TRUE(Program::waitFor([&] { return !program.centreIsWhite(); }, 2000)) << "the surface stayed";
    QTest::qSleep(200);
    EXPECT_FALSE(musicGrows(300)) << "the device is closed";
    startDemo(program);
    EXPECT_TRUE(musicGrows(2000));
    expectCleanExit(program, program.closeAndTime(), "after a restart");
}

TEST_F(CloseProgram, WithoutASoundDeviceEachSurfacePrintsOneErrorLine)
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver"));
    Program program(env);
    ASSERT_TRUE(program.waitForWindow());
    for (int surface = 0; surface < 2; ++surface) {
        startDemo(program);
        for (int i = 0; i < kDownPressesToTheEnd; ++i)
            program.press(XK_Down);
        ASSERT_TRUE(Program::waitFor([&] { return !program.centreIsWhite(); }, 2000));
    }
    expectCleanExit(program, program.closeAndTime(), "without a sound device");
    EXPECT_EQ(program.process.readAllStandardOutput(), QByteArray("BASS error: 3\nBASS error: 3\n"));
}
