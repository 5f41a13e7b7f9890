#include "FlashOptions.h"

#include "CaptureOptions.h"
#include "OutputFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

constexpr int kFewestCells = 16;
constexpr int kMostCells = 4096;

bool isPng(const QString& path)
{
    return path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

// Through links too: the output written last would silently replace the other.
bool sameFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && OutputFile::destination(a) == OutputFile::destination(b);
}

// Directly in the --frames directory, where a frame or the music could take its name.
bool inDirectory(const QString& path, const QString& directory)
{
    return !path.isEmpty() && !directory.isEmpty() &&
           QFileInfo(OutputFile::destination(path)).path() == OutputFile::destination(directory);
}

} // namespace

FlashCommandLine::FlashCommandLine(QCommandLineParser& parser)
    : report(QStringLiteral("flash-report"),
             QStringLiteral("Write every frame's flashing figures and verdicts as CSV (with a video or --frames, "
                            "or on its own over the range)."),
             QStringLiteral("FILE.csv")),
      plot(QStringLiteral("flash-plot"),
           QStringLiteral("Plot the share of the view flashing over the range as PNG (with a video or --frames, "
                          "or on its own)."),
           QStringLiteral("FILE.png")),
      cells(QStringLiteral("flash-cells"),
            QStringLiteral("Most cells across the flash analysis's grid of pixel blocks."), QStringLiteral("N"),
            QString::number(flash::kDefaultCells)),
      off(QStringLiteral("no-flash-analysis"),
          QStringLiteral("Do not look for flashing in the video or PNG sequence.")),
      benchmarkPlot(QStringLiteral("plot"), QStringLiteral("With --benchmark: plot the frame times as PNG."),
                    QStringLiteral("FILE.png"))
{
    parser.addOptions({report, plot, cells, off, benchmarkPlot});
}

bool FlashCommandLine::requested(const QCommandLineParser& parser) const
{
    return parser.isSet(report) || parser.isSet(plot);
}

QString FlashCommandLine::read(const QCommandLineParser& parser, CaptureMode mode, const QString& output,
                               const QString& directory, FlashOptions& options) const
{
    options.report = parser.value(report);
    options.plot = parser.value(plot);
    options.benchmarkPlot = parser.value(benchmarkPlot);
    options.analyse = !parser.isSet(off);
    const bool range = mode == CaptureMode::Video || mode == CaptureMode::Frames || mode == CaptureMode::Flash;
    for (const QCommandLineOption* flashOption : {&report, &plot, &cells, &off}) {
        if (parser.isSet(*flashOption) && !range)
            return QStringLiteral("--%1 applies to a video, --frames or a range on its own")
                .arg(flashOption->names().first());
    }
    if (parser.isSet(off) && requested(parser))
        return QStringLiteral("--no-flash-analysis leaves nothing for --flash-report or --flash-plot to show");
    if (parser.isSet(benchmarkPlot) && mode != CaptureMode::Benchmark)
        return QStringLiteral("--plot applies to --benchmark only");
    if (parser.isSet(report) && options.report.isEmpty())
        return QStringLiteral("--flash-report: give the file to write");
    if (parser.isSet(plot) && !isPng(options.plot))
        return QStringLiteral("--flash-plot: '%1' is not a .png file").arg(options.plot);
    if (parser.isSet(benchmarkPlot) && !isPng(options.benchmarkPlot))
        return QStringLiteral("--plot: '%1' is not a .png file").arg(options.benchmarkPlot);
    if (sameFile(options.report, options.plot) || sameFile(options.report, output))
        return QStringLiteral("--flash-report: '%1' is also another output").arg(options.report);
    if (sameFile(options.plot, output))
        return QStringLiteral("--flash-plot: '%1' is also another output").arg(options.plot);
    if (inDirectory(options.report, directory))
        return QStringLiteral("--flash-report: '%1' is inside the --frames directory").arg(options.report);
    if (inDirectory(options.plot, directory))
        return QStringLiteral("--flash-plot: '%1' is inside the --frames directory").arg(options.plot);
    bool number = false;
    options.cells = parser.value(cells).toInt(&number);
    if (!number || options.cells < kFewestCells || options.cells > kMostCells)
        return QStringLiteral("--flash-cells: '%1' is not a whole number from %2 to %3")
            .arg(parser.value(cells), QString::number(kFewestCells), QString::number(kMostCells));
    return QString();
}
