#include "Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kTerminalInterval(250);
constexpr std::chrono::milliseconds kLogInterval(1000);

void formatDuration(char* text, std::size_t size, double seconds)
{
    const long whole = std::lround(std::max(0.0, seconds));
    std::snprintf(text, size, "%ld:%02ld", whole / 60, whole % 60);
}

} // namespace

Progress::Progress(std::int64_t frames, std::FILE* out)
    : total(frames), stream(out), terminal(::isatty(::fileno(out)) == 1), started(Clock::now()), reported(started)
{
}

void Progress::update(std::int64_t done)
{
    const Clock::time_point now = Clock::now();
    if (now - reported >= (terminal ? kTerminalInterval : kLogInterval)) {
        reported = now;
        report(done, false);
    }
}

void Progress::finish(std::int64_t done)
{
    report(done, true);
}

void Progress::report(std::int64_t done, bool last)
{
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    const double fps = elapsed > 0.0 ? static_cast<double>(done) / elapsed : 0.0;
    char time[32];
    if (last) {
        formatDuration(time, sizeof time, elapsed);
    } else if (fps > 0.0) {
        formatDuration(time, sizeof time, static_cast<double>(total - done) / fps);
    } else {
        std::snprintf(time, sizeof time, "?");
    }
    // On a terminal the line rewrites itself: back to its start, then clear what is left of the old one.
    std::fprintf(stream, "%sframe %lld of %lld, %.1f frames/s, %s %s%s", terminal ? "\r" : "",
                 static_cast<long long>(done), static_cast<long long>(total), fps, time, last ? "taken" : "left",
                 terminal ? "\x1b[K" : "\n");
    if (terminal && last)
        std::fputc('\n', stream);
    std::fflush(stream);
}
