#pragma once

#include "FlashOptions.h"
#include "FrameRange.h"
#include "VideoWriter.h"

#include "app/Schedule.h"

#include <QString>
#include <QStringList>

// What umbrafen-capture was asked to do, or why the request is unusable.
enum class CaptureMode
{
    Still,      // --at T --output FILE.png: one frame
    Video,      // --output FILE.mp4 or .mkv: the range, encoded with the music
    Frames,     // --frames DIR: the range as numbered PNG files and music.wav
    Benchmark,  // --benchmark: the range rendered and timed, nothing written
    Flash,      // --flash-report or --flash-plot alone: the range rendered and analysed for flashing
};

struct CaptureOptions
{
    CaptureMode mode = CaptureMode::Still;
    double at = 0.0;
    int width = 0;
    int height = 0;
    QString output;      // the PNG or the video file
    QString directory;   // where --frames writes
    double from = 0.0;
    double to = Schedule::endTime();
    FrameRate fps;
    int crf = kDefaultCrf;
    bool straightforward = false;  // benchmark the straightforward paths, not the fast ones
    bool help = false;     // --help or -h: print the help, nothing else
    bool version = false;  // --version: print the version, nothing else
    FlashOptions flash;
    QString error;  // one line naming the problem; empty when the options are usable

    FrameRange range() const { return FrameRange(from, to, fps); }
};

// Parses the program's arguments (argv[0] included) with QCommandLineParser.
CaptureOptions parseCaptureOptions(const QStringList& arguments);

// Reads a frame rate from 1 to 1000: a fraction ("60000/1001") as it is, any
// other number ("60", "29.97", "2.5e1") as the closest fraction with a
// denominator up to 1,000,000. Returns an empty string, or what is wrong with
// the text in one line.
QString parseFrameRate(const QString& text, FrameRate& rate);
