#include "CaptureHelp.h"

#include "UmbrafenVersion.h"

namespace {

// An option and its description; a '\n' in the description continues it on
// the next line, under its first.
struct HelpRow
{
    const char* option;
    const char* description;
};

constexpr int kDescriptionColumn = 28;

constexpr HelpRow kModes[] = {
    {"--at SECONDS", "one frame at that demo time, with --output FILE.png"},
    {"--output FILE", "FILE.png: the frame of --at; FILE.mp4 or FILE.mkv: the\n"
                      "range as H.264 video with the music (needs ffmpeg)"},
    {"--frames DIR", "the range as DIR/frame-000000.png, ... and DIR/music.wav"},
    {"--benchmark", "renders the range and prints its frame times; writes\n"
                    "nothing"},
    {"--flash-report FILE.csv", "alone: analyses the range for flashing, writes no\n"
                                "frames (also --flash-plot alone)"},
};

constexpr HelpRow kOptions[] = {
    {"--size WIDTHxHEIGHT", "frame size in pixels (default 1920x1080)"},
    {"--from SECONDS", "first demo second of the range (default 0)"},
    {"--to SECONDS", "demo second at which the range ends (default 75)"},
    {"--fps RATE", "frames per second: 60, 60000/1001 or 29.97 (default 60)"},
    {"--crf N", "H.264 quality of a video, 1 (best) to 51 (default 18)"},
    {"--straightforward", "with --benchmark: times the straightforward paths the\n"
                          "fast ones stand in for (default: the fast paths)"},
    {"--plot FILE.png", "with --benchmark: plots the frame times"},
    {"--flash-report FILE.csv", "every frame's flashing figures and verdicts (WCAG\n"
                                "2.3.1, ITU-R BT.1702), beside a video or --frames"},
    {"--flash-plot FILE.png", "the share of the view flashing over the timeline"},
    {"--flash-cells N", "most cells across the flash analysis's grid (default\n"
                        "320)"},
    {"--no-flash-analysis", "no flash check of a video or --frames (default: each\n"
                            "is checked, with one line if it flashes too much)"},
    {"-h, --help", "shows this help and exits"},
    {"--version", "shows the version and exits"},
};

template <std::size_t N>
QString table(const HelpRow (&rows)[N])
{
    QString text;
    const QString indent(kDescriptionColumn, QLatin1Char(' '));
    for (const HelpRow& row : rows) {
        const QString option = QStringLiteral("  ") + QLatin1String(row.option);
        text += option.leftJustified(kDescriptionColumn - 1) + QLatin1Char(' ');
        text += QString::fromLatin1(row.description).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString captureHelp()
{
    return QStringLiteral("Usage: umbrafen-capture MODE [OPTION]...\n"
                          "Renders the Umbrafen demo offscreen, through the same frame path as its\n"
                          "window: the same demo time and size give the same pixels.\n"
                          "\n"
                          "Modes (one of):\n") +
           table(kModes) + QStringLiteral("\nOptions:\n") + table(kOptions) +
           QStringLiteral("\n"
                          "Examples:\n"
                          "  umbrafen-capture --at 30 --size 1280x720 --output frame.png\n"
                          "  umbrafen-capture --from 12 --to 22 --size 1280x720 --output drops.mp4\n"
                          "  umbrafen-capture --size 640x360 --flash-report flashes.csv\n"
                          "\n"
                          "No display is needed: frames are drawn through EGL, or on the X display in\n"
                          "DISPLAY where EGL is missing; UMBRAFEN_CAPTURE_GL=egl or x11 forces one.\n"
                          "Exit status: 0 when done, 2 on an error (nothing is left behind), 130 when\n"
                          "stopped by Ctrl-C, SIGTERM or SIGHUP: a video or sequence keeps the frames\n"
                          "so far if they can be finished within 2 s, and is dropped otherwise.\n");
}

QString captureVersion()
{
    return QStringLiteral("umbrafen-capture %1\n").arg(QLatin1String(kUmbrafenVersion));
}
