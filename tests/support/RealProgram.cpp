#include "support/RealProgram.h"

#include <csignal>
#include <fstream>
#include <string>

#include <unistd.h>

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kStartLimitMs = 20000;
constexpr int kGiveUpMs = 5000;

} // namespace

RealProgram::RealProgram(const QProcessEnvironment& environment)
    : display(XOpenDisplay(nullptr))
{
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(UMBRAFEN_PATH), QStringList());
}

RealProgram::~RealProgram()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    if (display)
        XCloseDisplay(display);
}

bool RealProgram::waitForWindow()
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
    XWindowAttributes attributes{};
    return window != 0 && waitFor([&] {
        return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
    }, kStartLimitMs);
}

void RealProgram::press(unsigned long keySymbol)
{
    XKeyEvent event{};
    event.display = display;
    event.window = window;
    event.root = DefaultRootWindow(display);
    event.time = CurrentTime;
    event.x = event.y = 1;
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(display, keySymbol);
    for (int type : {KeyPress, KeyRelease}) {
        event.type = type;
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                   reinterpret_cast<XEvent*>(&event));
    }
    XFlush(display);
}

// What a window manager sends when the user clicks the close button.
void RealProgram::askToClose()
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

qint64 RealProgram::closeAndTime(Closing how)
{
    QElapsedTimer timer;
    timer.start();
    if (how == Closing::CloseButton)
        askToClose();
    else if (how == Closing::WindowDestroyed)
        XDestroyWindow(display, window);
    else
        ::kill(static_cast<pid_t>(process.processId()),
               how == Closing::Interrupt ? SIGINT : how == Closing::Terminate ? SIGTERM : SIGHUP);
    XFlush(display);
    if (!process.waitForFinished(kGiveUpMs))
        return -1;
    return timer.elapsed();
}

void RealProgram::resizeWindow(int w, int h)
{
    XResizeWindow(display, window, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(display);
}

QSize RealProgram::size(bool surface)
{
    Window rootOut = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XWindowAttributes attributes{};
    const bool found = XQueryTree(display, window, &rootOut, &parent, &children, &count)
        && (!surface || count == 1) && XGetWindowAttributes(display, surface ? children[0] : window, &attributes);
    if (children)
        XFree(children);
    return found ? QSize(attributes.width, attributes.height) : QSize();
}

bool RealProgram::centreIsWhite()
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    XImage* image = XGetImage(display, window, attributes.width / 2, attributes.height / 2, 1, 1,
                              AllPlanes, ZPixmap);
    if (!image)
        return false;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel == 0xffffff;
}

qint64 RealProgram::residentMiB() const
{
    long pages = 0;
    long resident = -1;
    std::ifstream statm("/proc/" + std::to_string(process.processId()) + "/statm");
    statm >> pages >> resident;
    return resident < 0 ? -1 : resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// The program's top-level window: the one titled as the demo's and owned by this process.
unsigned long RealProgram::findWindow()
{
    const Window root = DefaultRootWindow(display);
    Window rootOut = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &rootOut, &parent, &children, &count))
        return 0;
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        const bool titled = XFetchName(display, children[i], &name) && name != nullptr
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

qint64 RealProgram::pidOf(unsigned long candidate, unsigned long pidAtom)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    qint64 pid = -1;
    if (XGetWindowProperty(display, candidate, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data)
            == Success
        && data != nullptr && items == 1)
        pid = static_cast<qint64>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}
