#pragma once

// The capture tool's options for the flash analysis and the plots, read
// beside the others: --flash-report, --flash-plot, --flash-cells,
// --no-flash-analysis, and --plot with --benchmark.

#include "FlashAnalyser.h"

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;
enum class CaptureMode;

struct FlashOptions
{
    bool analyse = true;    // every video and PNG sequence is analysed on the fly
    QString report;         // the CSV of every frame's figures
    QString plot;           // the PNG of them over the timeline
    int cells = flash::kDefaultCells;  // the analysis grid's most cells across
    QString benchmarkPlot;  // the PNG of the benchmark's frame times

};

class FlashCommandLine
{
public:
    // Adds the options to the parser.
    explicit FlashCommandLine(QCommandLineParser& parser);
    // Whether a flash report or plot was asked for: the analysis may run on
    // its own over a range.
    bool requested(const QCommandLineParser& parser) const;
    // Reads them once the mode is chosen, checked against it and the other
    // output (the video, or the --frames directory): an error line naming the
    // option, or an empty string.
    QString read(const QCommandLineParser& parser, CaptureMode mode, const QString& output, const QString& directory,
                 FlashOptions& options) const;

private:
    QCommandLineOption report;
    QCommandLineOption plot;
    QCommandLineOption cells;
    QCommandLineOption off;
    QCommandLineOption benchmarkPlot;
};
