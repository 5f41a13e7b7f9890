#pragma once

// Plots over the demo's timeline, drawn offscreen with Qt Charts and encoded
// as PNG: the flash analysis's shares against the 25 % limits, and the
// benchmark's frame times against the 60 fps frame budget, each over the
// shaded spans of the schedule's scenes. Needs a QApplication (Qt Charts
// draws with widgets); the offscreen platform needs no display.

#include "FlashAnalyser.h"
#include "FrameRange.h"

#include <QByteArray>
#include <QString>

#include <vector>

class FrameTimeBenchmark;
class Schedule;

class TimelinePlot
{
public:
    struct SceneSpan
    {
        double start;
        double end;
        QString name;
    };

    static std::vector<SceneSpan> scenesOf(const Schedule& schedule);

    // Each is a PNG, or empty if it could not be drawn.
    static QByteArray flashes(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range,
                              const std::vector<SceneSpan>& scenes);
    static QByteArray frameTimes(const FrameTimeBenchmark& benchmark, const Schedule& schedule, int width,
                                 int height);
    // Writes the frame-time plot to `path` (nothing if it is empty): an error line, or an empty string.
    static QString saveFrameTimes(const QString& path, const FrameTimeBenchmark& benchmark, const Schedule& schedule,
                                  int width, int height);
};
