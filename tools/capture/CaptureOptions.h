#pragma once

#include "FlashOptions.h"
#include "FrameRange.h"

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
    double to = 75.0;
    FrameRate fps;
    int crf = 18;
    bool straightforward = false;  // benchmark the straightforward paths, not the fast ones
    FlashOptions flash;
    QString error;  // one line naming the problem; empty when the options are usable

    FrameRange range() const { return FrameRange(from, to, fps); }
};

// Parses the program's arguments (argv[0] included) with QCommandLineParser.
CaptureOptions parseCaptureOptions(const QStringList& arguments);

// Reads a frame rate: a whole number ("60"), a fraction ("60000/1001") or a
// decimal ("29.97"). False if the text is none of them or the rate is not
// within 0 < fps <= 1000.
bool parseFrameRate(const QString& text, FrameRate& rate);
