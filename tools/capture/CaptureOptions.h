#pragma once

#include <QString>
#include <QStringList>

// What umbrafen-capture was asked to do, or why the request is unusable.
struct CaptureOptions
{
    double at = 0.0;
    int width = 0;
    int height = 0;
    QString output;
    QString error;  // one line naming the problem; empty when the options are usable
};

// Parses the program's arguments (argv[0] included) with QCommandLineParser.
CaptureOptions parseCaptureOptions(const QStringList& arguments);
