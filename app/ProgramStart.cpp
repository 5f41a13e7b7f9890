#include "app/ProgramStart.h"

#include "UmbrafenVersion.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kNoDisplay = 2;
constexpr int kCannotPrint = 2;

constexpr char kHelp[] =
    "Usage: umbrafen [--help | --version]\n"
    "Plays the Umbrafen demo, 75 seconds of animation with its own music, in a window.\n"
    "\n"
    "  Space                     start the demo (ignored while it plays)\n"
    "  Right / Left              move the demo clock forward / back by 1 s\n"
    "  Down / Up                 move the demo clock forward / back by 8 s\n"
    "  Alt+Return, double-click  switch full screen on or off\n"
    "  Escape                    leave full screen\n"
    "\n"
    "  -h, --help                show this help and exit\n"
    "  --version                 show the version and exit\n"
    "\n"
    "It needs a display; umbrafen-capture renders stills and videos without one.\n"
    "Photosensitivity warning: the demo flashes; see umbrafen(6) before watching.\n";

// Help or version lost to a full disk is no success.
int printed()
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return 0;
    std::fprintf(stderr, "umbrafen: cannot write to standard output: %s\n", std::strerror(errno));
    return kCannotPrint;
}

bool isArgument(const char* argument, const char* name)
{
    return std::strcmp(argument, name) == 0;
}

// Qt reads its own options with one dash or two.
bool isQtOption(const char* argument, const char* name)
{
    if (argument[0] == '-' && argument[1] == '-')
        ++argument;
    return isArgument(argument, name);
}

// The display Qt's default platform, xcb, would open; null where Qt is told to
// use another platform, which then reports for itself.
const char* displayQtWouldOpen(int argc, char** argv, bool& anotherPlatform)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    anotherPlatform = platform && *platform && std::strncmp(platform, "xcb", 3) != 0;
    const char* display = std::getenv("DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        if (isQtOption(argv[i], "-platform"))
            anotherPlatform = std::strncmp(argv[i + 1], "xcb", 3) != 0;
        if (isQtOption(argv[i], "-display"))
            display = argv[i + 1];
    }
    return display;
}

} // namespace

int settleBeforeQt(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (isArgument(argv[i], "--help") || isArgument(argv[i], "-h")) {
            std::fputs(kHelp, stdout);
            return printed();
        }
        if (isArgument(argv[i], "--version")) {
            std::printf("umbrafen %s\n", kUmbrafenVersion);
            return printed();
        }
    }

    bool anotherPlatform = false;
    const char* display = displayQtWouldOpen(argc, argv, anotherPlatform);
    if (anotherPlatform)
        return -1;
    if (!display || !*display) {
        std::fputs("umbrafen: no display (DISPLAY is not set): the demo plays in a window; start it in a desktop "
                   "session, or render it with umbrafen-capture, which needs none\n",
                   stderr);
        return kNoDisplay;
    }
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!reachable) {
        std::fprintf(stderr, "umbrafen: cannot connect to the display '%s' to open the demo's window\n", display);
        return kNoDisplay;
    }
    return -1;
}
