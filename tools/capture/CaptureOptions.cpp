#include "CaptureOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cmath>

namespace {

bool parseSize(const QString& text, int& width, int& height)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})x(\\d{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return true;
}

} // namespace

CaptureOptions parseCaptureOptions(const QStringList& arguments)
{
    CaptureOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders a frame of the Umbrafen demo to a PNG file."));
    const QCommandLineOption at(QStringLiteral("at"), QStringLiteral("Demo time of the frame in seconds."),
                                QStringLiteral("SECONDS"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Frame size in pixels."),
                                  QStringLiteral("WIDTHxHEIGHT"), QStringLiteral("1920x1080"));
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("PNG file to write."),
                                    QStringLiteral("FILE.png"));
    parser.addOptions({at, size, output});

    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return options;
    }
    if (!parser.isSet(at)) {
        options.error = QStringLiteral("--at SECONDS is required");
        return options;
    }
    bool number = false;
    options.at = parser.value(at).toDouble(&number);
    if (!number || !std::isfinite(options.at)) {
        options.error = QStringLiteral("--at: '%1' is not a number of seconds").arg(parser.value(at));
        return options;
    }
    if (!parseSize(parser.value(size), options.width, options.height)) {
        options.error = QStringLiteral("--size: '%1' is not WIDTHxHEIGHT").arg(parser.value(size));
        return options;
    }
    if (options.width <= 0 || options.height <= 0) {
        options.error = QStringLiteral("--size: %1 has a zero side").arg(parser.value(size));
        return options;
    }
    options.output = parser.value(output);
    if (options.output.isEmpty()) {
        options.error = QStringLiteral("--output FILE.png is required");
        return options;
    }
    if (!options.output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        options.error = QStringLiteral("--output: '%1' is not a .png file").arg(options.output);
        return options;
    }
    return options;
}
