// umbrafen-capture: renders frames of the demo offscreen, through the same
// frame path as the window, and writes them out: one frame as a PNG, a range
// as a video with the music or as a PNG sequence, or times a range.
//
// Sections: reporting | the GL set-up | one frame | a range | the benchmark | main.

#include "CaptureHelp.h"
#include "CaptureOptions.h"
#include "FlashReport.h"
#include "FrameSequenceWriter.h"
#include "FrameTimeBenchmark.h"
#include "Interruption.h"
#include "OutputFile.h"
#include "Progress.h"
#include "QtMessages.h"
#include "SoundtrackClip.h"
#include "TimelinePlot.h"
#include "VideoWriter.h"

#include "app/DriverMemory.h"
#include "app/GlSource.h"
#include "app/OffscreenRenderer.h"
#include "app/Schedule.h"

#include <QApplication>
#include <QBuffer>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kUsageError = 2;
constexpr int kInterrupted = 130;  // as a shell reports a program ended by Ctrl-C

// ---------------------------------------------------------------------------
// Reporting.

int fail(const QString& message)
{
    std::fprintf(stderr, "umbrafen-capture: %s\n", qPrintable(message));
    return kUsageError;
}

void say(const QString& message)
{
    std::fprintf(stderr, "umbrafen-capture: %s\n", qPrintable(message));
}

// Whether what went to standard output got there: help or figures lost to a
// full disk are no success.
bool stdoutWritten()
{
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0)
        return true;
    say(QStringLiteral("cannot write to standard output: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    return false;
}

QString frameCount(std::int64_t frames)
{
    return frames == 1 ? QStringLiteral("1 frame") : QStringLiteral("%1 frames").arg(frames);
}

// ---------------------------------------------------------------------------
// The GL set-up: an empty string, or what stands in the way.

QString startRenderer(OffscreenRenderer& renderer, int width, int height)
{
    const int limit = renderer.maxSize();
    if (width > limit || height > limit)
        return QStringLiteral("--size: %1x%2 exceeds this OpenGL's limit of %3 pixels").arg(width).arg(height).arg(limit);
    if (!renderer.begin(width, height))
        return QStringLiteral("cannot create a %1x%2 framebuffer").arg(width).arg(height);
    return QString();
}

// ---------------------------------------------------------------------------
// One frame.

int captureStill(const CaptureOptions& options, OffscreenRenderer& renderer)
{
    Interruption::install();
    // The target is checked, and its hidden file made, before the frame is drawn.
    OutputFile file(options.output);
    if (!file.open())
        return fail(file.errorString());
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);

    Schedule schedule;
    schedule.build();
    renderer.drawFrame(schedule, static_cast<float>(options.at));
    // Encoded in memory first, so that a failed write is ours to report, in one line.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!renderer.image().save(&buffer, "PNG"))
        return fail(QStringLiteral("the frame could not be encoded as PNG"));
    if (Interruption::requested()) {
        say(QStringLiteral("stopped before '%1' was written; nothing written").arg(options.output));
        return kInterrupted;
    }
    if (file.write(png) != png.size() || !file.commit())
        return fail(file.errorString());
    // One arg() call: a file name holding "%2" must not take a later value.
    say(QStringLiteral("wrote '%1': the frame at demo time %2 s, %3x%4")
            .arg(options.output, QString::number(options.at), QString::number(options.width),
                 QString::number(options.height)));
    return 0;
}

// ---------------------------------------------------------------------------
// A range, frame n at demo time from + n / fps, into a video or a PNG sequence.

// A failed sink leaves nothing: after Ctrl-C that is an interruption, not an error.
int abandoned(FrameSink& sink)
{
    sink.abandon();
    if (!Interruption::requested())
        return fail(sink.error());
    say(QStringLiteral("interrupted; nothing written: ") + sink.error());
    return kInterrupted;
}

int captureRange(const CaptureOptions& options, OffscreenRenderer& renderer)
{
    // From here on Ctrl-C must not end the program before ffmpeg and the files are seen to.
    Interruption::install();
    const FrameRange range = options.range();
    const SoundtrackClip soundtrack = SoundtrackClip::compiledIn();
    if (!soundtrack.valid())
        return fail(QStringLiteral("the compiled-in soundtrack cannot be read"));
    std::unique_ptr<FrameSink> sink;
    if (options.mode == CaptureMode::Video) {
        if (VideoWriter::findFfmpeg().isEmpty())
            return fail(QString::fromLatin1(kFfmpegMissing));
        sink = std::make_unique<VideoWriter>(VideoSettings{options.output, options.width, options.height, options.crf},
                                             range, soundtrack);
    } else if (options.mode == CaptureMode::Frames) {
        sink = std::make_unique<FrameSequenceWriter>(options.directory, range, soundtrack);
    }

    // The output first: a target that cannot be written is refused before any drawing.
    Schedule schedule;
    sink = FlashReport::around(std::move(sink), options.flash, range, schedule);
    if (!sink->open())
        return fail(sink->error());
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);

    schedule.build();
    const std::int64_t total = range.frameCount();
    Progress progress(total, stderr);
    std::int64_t done = 0;
    while (done < total && !Interruption::requested()) {
        renderer.drawFrame(schedule, range.timeOf(done));
        if (!sink->write(renderer.image())) {
            progress.finish(done);
            return abandoned(*sink);
        }
        ++done;
        progress.update(done);
    }
    progress.finish(done);

    if (done == 0) {
        sink->abandon();
        say(QStringLiteral("stopped before the first frame; nothing written"));
        return kInterrupted;
    }
    if (!sink->finish(done))
        return abandoned(*sink);
    if (done < total) {
        say(QStringLiteral("stopped at demo time %1 s: '%2' holds %3 of %4")
                .arg(QString::number(range.secondsOf(done), 'f', 3), sink->target(),
                     done == 1 ? QStringLiteral("frame 0") : QStringLiteral("frames 0 to %1").arg(done - 1),
                     QString::number(total)));
        return kInterrupted;
    }
    say(QStringLiteral("wrote '%1': %2, demo time %3 to %4 s")
            .arg(sink->target(), frameCount(total), QString::number(range.from()),
                 QString::number(range.secondsOf(total))));
    return 0;
}

// ---------------------------------------------------------------------------
// The benchmark.

int benchmark(const CaptureOptions& options, OffscreenRenderer& renderer)
{
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);
    if (const QString plotProblem = OutputFile::unwritable(options.flash.benchmarkPlot); !plotProblem.isEmpty())
        return fail(plotProblem);
    Schedule schedule;
    schedule.build(options.straightforward ? gfx::FastPaths::none() : gfx::FastPaths::all());
    Interruption::install();
    FrameTimeBenchmark timing(options.range());
    timing.run(renderer, schedule);
    timing.print(stdout, schedule, options.width, options.height);
    if (!stdoutWritten())
        return kUsageError;
    if (Interruption::requested()) {
        const auto timed = static_cast<std::int64_t>(timing.timings().size());
        say(QStringLiteral("stopped at demo time %1 s: the figures cover %2 of %3%4")
                .arg(QString::number(options.range().secondsOf(timed), 'f', 3), frameCount(timed),
                     QString::number(options.range().frameCount()),
                     options.flash.benchmarkPlot.isEmpty() ? QString() : QStringLiteral("; no plot written")));
        return kInterrupted;
    }
    const QString plotError = TimelinePlot::saveFrameTimes(options.flash.benchmarkPlot, timing, schedule,
                                                           options.width, options.height);
    return plotError.isEmpty() ? 0 : fail(plotError);
}

} // namespace

// ---------------------------------------------------------------------------
// main.

int main(int argc, char** argv)
{
    routeQtMessages();
    // The options come before Qt and GL, so that help, version and mistakes
    // need neither. The locale first: file names are decoded as Qt will encode them.
    std::setlocale(LC_ALL, "");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CaptureOptions options = parseCaptureOptions(arguments);
    if (options.help || options.version) {
        std::fputs(qPrintable(options.help ? captureHelp() : captureVersion()), stdout);
        return stdoutWritten() ? 0 : kUsageError;
    }
    if (!options.error.isEmpty())
        return fail(options.error);

    // Every frame is drawn offscreen: Qt needs no display, and the GL comes
    // from EGL, or from the X display where EGL gives none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Mesa's warnings about a driver it cannot load would come before the one
    // line that names the packages to install; set by the user, they stay.
    if (!qEnvironmentVariableIsSet("EGL_LOG_LEVEL"))
        qputenv("EGL_LOG_LEVEL", "fatal");
    if (!qEnvironmentVariableIsSet("LIBGL_DEBUG"))
        qputenv("LIBGL_DEBUG", "quiet");
    QApplication application(argc, argv);
    // Before any frame: the GL driver's per-frame memory stays mapped. The
    // straightforward benchmark leaves the C library's default, to time what
    // this saves as well.
    if (!options.straightforward)
        keepFreedMemoryMapped();
    GlSource source = GlSource::Automatic;
    QString noGl;
    if (!glSourceFromEnvironment(source, noGl))
        return fail(noGl);
    OffscreenRenderer renderer(openOffscreenContext(source, noGl));
    if (!renderer.valid())
        return fail(noGl.isEmpty() ? QStringLiteral("cannot make the OpenGL context current") : noGl);
    switch (options.mode) {
    case CaptureMode::Still:
        return captureStill(options, renderer);
    case CaptureMode::Video:
    case CaptureMode::Frames:
    case CaptureMode::Flash:
        return captureRange(options, renderer);
    case CaptureMode::Benchmark:
        return benchmark(options, renderer);
    }
    return kUsageError;
}
