// umbrafen-capture: renders frames of the demo offscreen, through the same
// frame path as the window, and writes them out: one frame as a PNG, a range
// as a video with the music or as a PNG sequence, or times a range.
//
// Sections: reporting | the GL set-up | one frame | a range | the benchmark | main.

#include "CaptureOptions.h"
#include "FlashReport.h"
#include "FrameSequenceWriter.h"
#include "FrameTimeBenchmark.h"
#include "Interruption.h"
#include "Progress.h"
#include "ReportFile.h"
#include "SoundtrackClip.h"
#include "TimelinePlot.h"
#include "VideoWriter.h"

#include "app/DriverMemory.h"
#include "app/OffscreenRenderer.h"
#include "app/Schedule.h"
#include "gfx/FastPaths.h"

#include <QApplication>
#include <QSaveFile>

#include <cstdio>
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

// ---------------------------------------------------------------------------
// The GL set-up: an empty string, or what stands in the way.

QString startRenderer(OffscreenRenderer& renderer, int width, int height)
{
    if (!renderer.valid())
        return QStringLiteral("cannot create an OpenGL context (is a display available? try xvfb-run -a)");
    const int limit = renderer.maxSize();
    if (width > limit || height > limit)
        return QStringLiteral("--size: %1x%2 exceeds this OpenGL's limit of %3 pixels").arg(width).arg(height).arg(limit);
    if (!renderer.begin(width, height))
        return QStringLiteral("cannot create a %1x%2 framebuffer").arg(width).arg(height);
    return QString();
}

// ---------------------------------------------------------------------------
// One frame.

int captureStill(const CaptureOptions& options)
{
    OffscreenRenderer renderer;
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);

    Schedule schedule;
    schedule.build();
    renderer.drawFrame(schedule, static_cast<float>(options.at));
    const QImage frame = renderer.image();

    // QSaveFile writes beside the target and renames on commit, so a failed
    // write leaves no file behind.
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write '%1': %2").arg(options.output, file.errorString()));
    if (!frame.save(&file, "PNG") || !file.commit())
        return fail(QStringLiteral("cannot write '%1': %2").arg(options.output, file.errorString()));
    return 0;
}

// ---------------------------------------------------------------------------
// A range, frame n at demo time from + n / fps, into a video or a PNG sequence.

int captureRange(const CaptureOptions& options)
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
            return fail(QStringLiteral("ffmpeg is not installed; install it (on Debian: sudo apt-get install ffmpeg)"));
        sink = std::make_unique<VideoWriter>(VideoSettings{options.output, options.width, options.height, options.crf},
                                             range, soundtrack);
    } else if (options.mode == CaptureMode::Frames) {
        sink = std::make_unique<FrameSequenceWriter>(options.directory, range, soundtrack);
    }

    OffscreenRenderer renderer;
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);
    Schedule schedule;
    sink = FlashReport::around(std::move(sink), options.flash, range, schedule);
    if (!sink->open())
        return fail(sink->error());

    schedule.build();
    const std::int64_t total = range.frameCount();
    Progress progress(total, stderr);
    std::int64_t done = 0;
    while (done < total && !Interruption::requested()) {
        renderer.drawFrame(schedule, range.timeOf(done));
        if (!sink->write(renderer.image())) {
            progress.finish(done);
            sink->abandon();
            return fail(sink->error());
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
    if (!sink->finish(done)) {
        sink->abandon();
        return fail(sink->error());
    }
    if (done < total) {
        say(QStringLiteral("stopped at demo time %1 s: '%2' holds frames 0 to %3 of %4")
                .arg(range.secondsOf(done), 0, 'f', 3)
                .arg(sink->target())
                .arg(done - 1)
                .arg(total));
        return kInterrupted;
    }
    say(QStringLiteral("wrote '%1': %2 frames, demo time %3 to %4 s")
            .arg(sink->target())
            .arg(total)
            .arg(range.from())
            .arg(range.secondsOf(total)));
    return 0;
}

// ---------------------------------------------------------------------------
// The benchmark.

int benchmark(const CaptureOptions& options)
{
    OffscreenRenderer renderer;
    const QString problem = startRenderer(renderer, options.width, options.height);
    if (!problem.isEmpty())
        return fail(problem);
    if (const QString plotProblem = ReportFile::check(options.flash.benchmarkPlot); !plotProblem.isEmpty())
        return fail(plotProblem);
    gfx::setReplayEnabled(!options.straightforward);
    gfx::setCullingEnabled(!options.straightforward);
    Schedule schedule;
    schedule.build();
    Interruption::install();
    FrameTimeBenchmark timing(options.range());
    timing.run(renderer, schedule);
    timing.print(stdout, schedule, options.width, options.height);
    if (Interruption::requested())
        return kInterrupted;
    const QString plotError = TimelinePlot::saveFrameTimes(options.flash.benchmarkPlot, timing, schedule,
                                                           options.width, options.height);
    return plotError.isEmpty() ? 0 : fail(plotError);
}

} // namespace

// ---------------------------------------------------------------------------
// main.

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const CaptureOptions options = parseCaptureOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty())
        return fail(options.error);
    // Before any frame: the GL driver's per-frame memory stays mapped. The
    // straightforward benchmark leaves the C library's default, to time what
    // this saves as well.
    if (!options.straightforward)
        keepFreedMemoryMapped();
    switch (options.mode) {
    case CaptureMode::Still:
        return captureStill(options);
    case CaptureMode::Video:
    case CaptureMode::Frames:
    case CaptureMode::Flash:
        return captureRange(options);
    case CaptureMode::Benchmark:
        return benchmark(options);
    }
    return kUsageError;
}
