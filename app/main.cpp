#include "app/DriverMemory.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "app/QuitRequests.h"

#include <QApplication>
#include <QOpenGLContext>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

} // namespace

int main(int argc, char** argv)
{
    if (const int status = settleBeforeQt(argc, argv); status >= 0)
        return status;
    keepFreedMemoryMapped();
    QApplication application(argc, argv);
    // Qt has taken its own options (-platform, -geometry ...) out; anything left
    // is a mistake, and a mistyped --help must not open a flashing demo.
    if (const QStringList rest = QCoreApplication::arguments().mid(1); !rest.isEmpty()) {
        std::fprintf(stderr, "umbrafen: unknown argument '%s'; see umbrafen --help\n", qPrintable(rest.first()));
        return kUsageError;
    }
    // A display that gives no GL context (one that allows no indirect
    // rendering, as over ssh -X, or a client without its DRI driver) would
    // show an empty window while the music plays.
    if (QOpenGLContext probe; !probe.create()) {
        std::fputs("umbrafen: the display gives no OpenGL context for the demo (on Debian: sudo apt-get install "
                   "libgl1-mesa-dri; over ssh -X the X server must allow indirect GLX)\n",
                   stderr);
        return kUsageError;
    }
    // Signals and a window destroyed from outside close it as its close button does.
    QuitRequests quitRequests;
    int status = 0;
    {
        MainWindow window(nullptr);
        window.show();
        status = application.exec();
    }
    return status;
}
