#pragma once

// One run of the real umbrafen program on the test's X display, driven only as
// a user or another client could drive it: X key events sent to its window, the
// close message a window manager sends, signals, and its window resized or
// destroyed from outside.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QTest>

struct _XDisplay;

// Every way the program may be asked to end.
enum class Closing { CloseButton, Interrupt, Terminate, HangUp, WindowDestroyed };

class RealProgram
{
public:
    explicit RealProgram(const QProcessEnvironment& environment);
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    // Waits for the program's window to be shown; false if it never is.
    bool waitForWindow();
    // A key press and release (an X keysym such as XK_space).
    void press(unsigned long keySymbol);
    // Closes the program and returns the milliseconds until the process ended,
    // or -1 if it had not ended after five seconds.
    qint64 closeAndTime(Closing how = Closing::CloseButton);
    // What another client may do without a window manager: any size up to 32767.
    void resizeWindow(int w, int h);
    // The size of the program's window or, with `surface`, of the surface's
    // own X window (its only child once Space is pressed); empty if none.
    QSize size(bool surface = false);
    // The centre of the window is white once the surface draws (every frame
    // clears to white); the empty window shows the toolkit's grey.
    bool centreIsWhite();
    // The program's resident memory in MiB, from /proc; -1 once it has ended.
    qint64 residentMiB() const;

    // Polls `done` every 10 ms; false if it is not true within the time.
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
    void askToClose();
    unsigned long findWindow();
    qint64 pidOf(unsigned long candidate, unsigned long pidAtom);

    _XDisplay* display;       // the test's own connection
    unsigned long window = 0;  // the program's top-level X window
};
