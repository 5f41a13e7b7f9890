#include "CaptureOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <numeric>

namespace {

// Below one frame a second a frame would stand for more than a second of
// pictures that change many times a second, and the 75 s demo would shrink to
// fewer than 75 pictures. Up to the highest rate the sample arithmetic stays
// far inside 64 bits.
constexpr double kMinFramesPerSecond = 1.0;
constexpr double kMaxFramesPerSecond = 1000.0;
// A typed decimal becomes the closest fraction with a denominator up to this:
// 29.970029970029970 is 30000/1001, 23.976 is 2997/125.
constexpr std::int64_t kMaxRateDenominator = 1'000'000;
constexpr std::int64_t kMaxFrames = 10'000'000;  // keeps the sample arithmetic far inside 64 bits
constexpr int kMinCrf = 1;  // 0 is lossless, which the High profile cannot carry
constexpr int kMaxCrf = 51;

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

// Demo times within an hour either side of the 75 s demo: a lead-in or a
// lead-out, but no time where the single-precision frame time could no longer
// tell frames 1 ms apart (above 2^13 s) or the sample arithmetic overflows.
constexpr double kFarthestSeconds = 3600.0;

bool parseSeconds(const QString& text, double& seconds)
{
    bool number = false;
    seconds = text.toDouble(&number);
    return number && std::isfinite(seconds) && std::fabs(seconds) <= kFarthestSeconds;
}

QString notSeconds(const char* option, const QString& text)
{
    return QStringLiteral("--%1: '%2' is not a number of seconds from %3 to %4")
        .arg(QLatin1String(option), text, QString::number(-kFarthestSeconds), QString::number(kFarthestSeconds));
}

// The fraction closest to `value` (in [1, 1024)) with a denominator up to
// kMaxRateDenominator: its continued fraction, worked on the double's exact
// value (a 53-bit whole number over a power of two), and at the end the better
// of the last convergent and the last semiconvergent that fits.
FrameRate closestFraction(double value)
{
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent);
    std::int64_t n = static_cast<std::int64_t>(std::ldexp(mantissa, 53));
    std::int64_t d = std::int64_t{1} << (53 - exponent);
    std::int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    while (d != 0) {
        const std::int64_t a = n / d;
        if (q1 != 0 && a > (kMaxRateDenominator - q0) / q1) {
            const std::int64_t k = (kMaxRateDenominator - q0) / q1;
            const FrameRate semi{p0 + k * p1, q0 + k * q1};
            const auto error = [value](FrameRate r) {
                return std::fabs(static_cast<long double>(r.num) / r.den - static_cast<long double>(value));
            };
            return error(semi) < error(FrameRate{p1, q1}) ? semi : FrameRate{p1, q1};
        }
        const std::int64_t p2 = p0 + a * p1;
        const std::int64_t q2 = q0 + a * q1;
        p0 = p1;
        q0 = q1;
        p1 = p2;
        q1 = q2;
        const std::int64_t rest = n - a * d;
        n = d;
        d = rest;
    }
    return FrameRate{p1, q1};
}

bool isVideoFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mp4") || suffix == QLatin1String("mkv");
}

} // namespace

QString parseFrameRate(const QString& text, FrameRate& rate)
{
    static const QRegularExpression fraction(QStringLiteral("^\\s*(\\d{1,12})/(\\d{1,12})\\s*$"));
    const QString notARate = QStringLiteral("'%1' is not a rate such as 60, 29.97 or 60000/1001").arg(text);
    double value = 0.0;
    FrameRate exact{0, 1};
    if (const QRegularExpressionMatch match = fraction.match(text); match.hasMatch()) {
        const std::int64_t num = match.captured(1).toLongLong();
        const std::int64_t den = match.captured(2).toLongLong();
        if (num <= 0 || den <= 0)
            return notARate;
        const std::int64_t common = std::gcd(num, den);
        exact = FrameRate{num / common, den / common};
        value = static_cast<double>(num) / static_cast<double>(den);
    } else {
        bool number = false;
        value = text.toDouble(&number);
        if (!number || !std::isfinite(value) || value <= 0.0)
            return notARate;
    }
    if (value < kMinFramesPerSecond)
        return QStringLiteral("%1 is below %2 frame per second: each frame would stand for more than a second of "
                              "pictures that change many times a second")
            .arg(text.trimmed())
            .arg(kMinFramesPerSecond);
    if (value > kMaxFramesPerSecond)
        return QStringLiteral("%1 is above %2 frames per second").arg(text.trimmed()).arg(kMaxFramesPerSecond);
    rate = exact.num > 0 && exact.den <= kMaxRateDenominator ? exact : closestFraction(value);
    return QString();
}

CaptureOptions parseCaptureOptions(const QStringList& arguments)
{
    CaptureOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Renders the Umbrafen demo offscreen: one frame to a PNG (--at), a range to a video with its music "
        "(--output FILE.mp4 or .mkv), to a PNG sequence (--frames), or times every frame (--benchmark)."));
    const QCommandLineOption at(QStringLiteral("at"), QStringLiteral("Demo time of a single frame in seconds."),
                                QStringLiteral("SECONDS"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Frame size in pixels."),
                                  QStringLiteral("WIDTHxHEIGHT"), QStringLiteral("1920x1080"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("PNG file for --at, or the video (.mp4 or .mkv) to write."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("Directory for numbered PNG frames and music.wav."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption benchmark(QStringLiteral("benchmark"),
                                       QStringLiteral("Time every frame of the range and print the figures."));
    const QCommandLineOption straightforward(
        QStringLiteral("straightforward"),
        QStringLiteral("With --benchmark: time the straightforward paths the fast ones stand in for: branches "
                       "regenerated from rand() every frame, nothing culled, the C library's default memory policy."));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("First demo second of the range."),
                                  QStringLiteral("SECONDS"), QStringLiteral("0"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("Demo second at which the range ends."),
                                QStringLiteral("SECONDS"), QString::number(Schedule::endTime()));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Frames per second, 1 to 1000: 60, 29.97 or 60000/1001."),
                                 QStringLiteral("RATE"), QStringLiteral("60"));
    const QCommandLineOption crf(QStringLiteral("crf"), QStringLiteral("H.264 quality, 1 (best) to 51."),
                                 QStringLiteral("N"), QString::number(kDefaultCrf));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show the help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    parser.addOptions({at, size, output, frames, benchmark, straightforward, from, to, fps, crf, help, version});
    const FlashCommandLine flashOptions(parser);

    const auto failed = [&options](const QString& message) {
        options.error = message;
        return options;
    };
    if (!parser.parse(arguments))
        return failed(parser.errorText());
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (options.help || options.version)
        return options;
    if (!parser.positionalArguments().isEmpty())
        return failed(QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first()));
    // Otherwise the last of two values would silently win.
    const QStringList given = parser.optionNames();
    for (const QString& name : given) {
        if (given.count(name) > 1)
            return failed(QStringLiteral("--%1 is given twice; give it once").arg(name));
    }

    // The mode.
    options.output = parser.value(output);
    options.directory = parser.value(frames);
    const bool video = !options.output.isEmpty() && isVideoFile(options.output);
    const int modes = int(parser.isSet(at)) + int(video) + int(parser.isSet(frames)) + int(parser.isSet(benchmark));
    if (modes > 1 || (!options.output.isEmpty() && (parser.isSet(frames) || parser.isSet(benchmark))))
        return failed(QStringLiteral("choose one of --at with a .png --output, a video --output, --frames and --benchmark"));
    if (parser.isSet(at)) {
        options.mode = CaptureMode::Still;
        if (!parseSeconds(parser.value(at), options.at))
            return failed(notSeconds("at", parser.value(at)));
        if (options.output.isEmpty())
            return failed(QStringLiteral("--output FILE.png is required with --at"));
        if (!options.output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
            return failed(QStringLiteral("--output: '%1' is not a .png file").arg(options.output));
        for (const QCommandLineOption* rangeOption : {&from, &to, &fps, &crf}) {
            if (parser.isSet(*rangeOption))
                return failed(QStringLiteral("--%1 applies to a range, not to the single frame of --at")
                                  .arg(rangeOption->names().first()));
        }
    } else if (video) {
        options.mode = CaptureMode::Video;
    } else if (parser.isSet(frames)) {
        options.mode = CaptureMode::Frames;
        if (options.directory.isEmpty())
            return failed(QStringLiteral("--frames: give the directory to write into"));
    } else if (parser.isSet(benchmark)) {
        options.mode = CaptureMode::Benchmark;
        options.straightforward = parser.isSet(straightforward);
    } else if (options.output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return failed(QStringLiteral("--at SECONDS is required to write a single .png frame"));
    } else if (!options.output.isEmpty()) {
        return failed(QStringLiteral("--output: '%1' is neither a .png, an .mp4 nor an .mkv file").arg(options.output));
    } else if (flashOptions.requested(parser)) {
        options.mode = CaptureMode::Flash;
    } else {
        return failed(QStringLiteral("--output FILE (.png with --at, .mp4 or .mkv), --frames DIR or --benchmark is required"));
    }
    if (const QString flashProblem = flashOptions.read(parser, options.mode, options.output, options.directory,
                                                               options.flash);
        !flashProblem.isEmpty())
        return failed(flashProblem);
    if (options.mode != CaptureMode::Video && parser.isSet(crf))
        return failed(QStringLiteral("--crf applies to a video --output only"));
    if (options.mode != CaptureMode::Benchmark && parser.isSet(straightforward))
        return failed(QStringLiteral("--straightforward applies to --benchmark only"));

    // The size.
    if (!parseSize(parser.value(size), options.width, options.height))
        return failed(QStringLiteral("--size: '%1' is not WIDTHxHEIGHT").arg(parser.value(size)));
    if (options.width <= 0 || options.height <= 0)
        return failed(QStringLiteral("--size: %1 has a zero side").arg(parser.value(size)));
    if (options.mode == CaptureMode::Video && (options.width % 2 != 0 || options.height % 2 != 0))
        return failed(QStringLiteral("--size: %1 has an odd side; yuv420p video needs an even width and height")
                          .arg(parser.value(size)));
    if (options.mode == CaptureMode::Still)
        return options;

    // The range.
    if (!parseSeconds(parser.value(from), options.from))
        return failed(notSeconds("from", parser.value(from)));
    if (!parseSeconds(parser.value(to), options.to))
        return failed(notSeconds("to", parser.value(to)));
    if (const QString problem = parseFrameRate(parser.value(fps), options.fps); !problem.isEmpty())
        return failed(QStringLiteral("--fps: ") + problem);
    if (options.from >= options.to)
        return failed(QStringLiteral("--from %1 is not before --to %2").arg(parser.value(from), parser.value(to)));
    const std::int64_t count = options.range().frameCount();
    if (count < 1 || count > kMaxFrames)
        return failed(QStringLiteral("--from %1 --to %2 at %3 fps makes %4 frames; give 1 to %5")
                          .arg(parser.value(from), parser.value(to), parser.value(fps))
                          .arg(count)
                          .arg(kMaxFrames));
    if (parser.isSet(crf)) {
        bool number = false;
        options.crf = parser.value(crf).toInt(&number);
        if (!number || options.crf < kMinCrf || options.crf > kMaxCrf)
            return failed(QStringLiteral("--crf: '%1' is not a whole number from %2 to %3")
                              .arg(parser.value(crf), QString::number(kMinCrf), QString::number(kMaxCrf)));
    }
    return options;
}
