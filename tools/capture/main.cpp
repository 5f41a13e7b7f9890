// umbrafen-capture: renders frames of the demo offscreen, through the same
// frame path as the window, and writes them out.

#include "CaptureOptions.h"

#include "app/OffscreenRenderer.h"
#include "app/Schedule.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

int fail(const QString& message)
{
    std::fprintf(stderr, "umbrafen-capture: %s\n", qPrintable(message));
    return kUsageError;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const CaptureOptions options = parseCaptureOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty())
        return fail(options.error);

    OffscreenRenderer renderer;
    if (!renderer.valid())
        return fail(QStringLiteral("cannot create an OpenGL context (is a display available? try xvfb-run -a)"));
    const int limit = renderer.maxSize();
    if (options.width > limit || options.height > limit)
        return fail(QStringLiteral("--size: %1x%2 exceeds this OpenGL's limit of %3 pixels")
                        .arg(options.width)
                        .arg(options.height)
                        .arg(limit));
    if (!renderer.begin(options.width, options.height))
        return fail(QStringLiteral("cannot create a %1x%2 framebuffer").arg(options.width).arg(options.height));

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
