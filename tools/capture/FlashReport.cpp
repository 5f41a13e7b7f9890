#include "FlashReport.h"

#include "OutputFile.h"
#include "TimelinePlot.h"

#include <QTextStream>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

constexpr std::int64_t kJoinedGapSeconds = 1;  // shorter lulls do not split a stretch a viewer sits through

// The stretches of frames for which `fails` holds, as "12.9–20.7 s and 37.5–60.3 s".
QString spansWhere(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range,
                   const std::function<bool(const flash::FrameFlashes&)>& fails)
{
    // First and one past the last failing frame of each stretch.
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    const FrameRate rate = range.rate();
    for (std::int64_t n = 0; n < static_cast<std::int64_t>(frames.size()); ++n) {
        if (!fails(frames[static_cast<std::size_t>(n)]))
            continue;
        if (!spans.empty() && (n - spans.back().second) * rate.den < kJoinedGapSeconds * rate.num)
            spans.back().second = n + 1;
        else
            spans.emplace_back(n, n + 1);
    }
    QStringList texts;
    for (const auto& [first, end] : spans)
        texts << QStringLiteral("%1–%2 s")
                     .arg(range.secondsOf(first), 0, 'f', 1)
                     .arg(range.secondsOf(end), 0, 'f', 1);
    if (texts.size() <= 1)
        return texts.join(QString());
    const QString last = texts.takeLast();
    return texts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// "above the general-flash threshold of WCAG 2.3.1 at … and of ITU-R BT.1702 at …", or empty.
QString aboveThreshold(const char* kind, const QString& wcag, const QString& bt1702)
{
    QStringList rules;
    if (!wcag.isEmpty())
        rules << QStringLiteral("of WCAG 2.3.1 at ") + wcag;
    if (!bt1702.isEmpty())
        rules << QStringLiteral("of ITU-R BT.1702 at ") + bt1702;
    if (rules.isEmpty())
        return QString();
    return QStringLiteral("above the %1 threshold ").arg(QLatin1String(kind)) + rules.join(QStringLiteral(" and "));
}

void say(const QString& line)
{
    std::fprintf(stderr, "umbrafen-capture: %s\n", line.toUtf8().constData());
}

} // namespace

std::unique_ptr<FrameSink> FlashReport::around(std::unique_ptr<FrameSink> inner, const FlashOptions& options,
                                               const FrameRange& range, const Schedule& schedule)
{
    if (!options.analyse)
        return inner;
    return std::make_unique<FlashReport>(std::move(inner), options, range, schedule);
}

FlashReport::FlashReport(std::unique_ptr<FrameSink> innerSink, const FlashOptions& flashOptions,
                         const FrameRange& frameRange, const Schedule& scenes)
    : inner(std::move(innerSink)), options(flashOptions), range(frameRange), schedule(scenes)
{
}

bool FlashReport::open()
{
    for (const QString& path : {options.report, options.plot}) {
        if (const QString problem = OutputFile::unwritable(path); !problem.isEmpty())
            return fail(problem);
    }
    if (inner && !inner->open())
        return fail(inner->error());
    return true;
}

bool FlashReport::write(const QImage& frame)
{
    if (inner && !inner->write(frame))
        return fail(inner->error());
    if (!analyser)
        analyser.emplace(frame.width(), frame.height(), range.rate(), options.cells);
    frames.push_back(analyser->add(frame));
    return true;
}

bool FlashReport::finish(std::int64_t count)
{
    // The report and the plot are made first, under hidden names, and put in
    // place only once the video or the frames are: should those fail, the
    // files already at the report's and the plot's paths stay as they were.
    if (!prepareOutputs())
        return false;
    if (inner && !inner->finish(count)) {
        pending.clear();
        return fail(inner->error());
    }
    for (const std::unique_ptr<OutputFile>& file : pending) {
        if (!file->commit()) {
            const QString why = file->errorString();
            pending.clear();
            return fail(why);
        }
    }
    pending.clear();
    const QString line = summary(frames, range);
    if (!line.isEmpty())
        say(line);
    else if (!inner)
        say(QStringLiteral("no flashing above the WCAG 2.3.1 or ITU-R BT.1702 thresholds from %1 to %2 s")
                .arg(range.from())
                .arg(range.secondsOf(static_cast<std::int64_t>(frames.size()))));
    return true;
}

void FlashReport::abandon()
{
    if (inner)
        inner->abandon();
    pending.clear();
}

QString FlashReport::target() const
{
    if (inner)
        return inner->target();
    // The analysis alone: the files it writes.
    QStringList paths;
    for (const QString& path : {options.report, options.plot}) {
        if (!path.isEmpty())
            paths << path;
    }
    return paths.join(QStringLiteral("' and '"));
}

bool FlashReport::prepareOutputs()
{
    pending.clear();
    if (!options.report.isEmpty() && !prepare(options.report, table(frames, range)))
        return false;
    if (!options.plot.isEmpty()) {
        const QByteArray png = TimelinePlot::flashes(frames, range, TimelinePlot::scenesOf(schedule));
        if (png.isEmpty()) {
            pending.clear();
            return fail(QStringLiteral("cannot draw the flash plot '%1'").arg(options.plot));
        }
        if (!prepare(options.plot, png))
            return false;
    }
    return true;
}

bool FlashReport::prepare(const QString& path, const QByteArray& bytes)
{
    auto file = std::make_unique<OutputFile>(path);
    if (!file->open() || file->write(bytes) != bytes.size()) {
        const QString why = file->errorString();
        pending.clear();
        return fail(why);
    }
    pending.push_back(std::move(file));
    return true;
}

QString FlashReport::summary(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range)
{
    using F = flash::FrameFlashes;
    const QString general = aboveThreshold("general-flash", spansWhere(frames, range, &F::wcagGeneral),
                                           spansWhere(frames, range, &F::btGeneral));
    const QString red = aboveThreshold("red-flash", spansWhere(frames, range, &F::wcagRed),
                                       spansWhere(frames, range, &F::btRed));
    QStringList clauses;
    if (!general.isEmpty())
        clauses << QStringLiteral("flashing ") + general;
    if (!red.isEmpty())
        clauses << QStringLiteral("red flashing ") + red;
    if (clauses.isEmpty())
        return QString();
    return clauses.join(QStringLiteral("; ")) +
           QStringLiteral("; add a photosensitivity warning where you publish this");
}

QByteArray FlashReport::table(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range)
{
    QByteArray csv;
    QTextStream out(&csv);
    out << "seconds,view_flashing_percent,worst_10deg_field_flashing_percent,view_red_flashing_percent,"
           "worst_10deg_field_red_flashing_percent,wcag_2_3_1,itu_r_bt_1702\n";
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const flash::FrameFlashes& f = frames[n];
        out << QString::asprintf("%.6f,%.2f,%.2f,%.2f,%.2f,%s,%s\n", range.secondsOf(static_cast<std::int64_t>(n)),
                                 100.0 * f.viewShare, 100.0 * f.fieldShare, 100.0 * f.redViewShare,
                                 100.0 * f.redFieldShare, f.failsWcag() ? "fail" : "pass",
                                 f.failsBt1702() ? "fail" : "pass");
    }
    out.flush();
    return csv;
}
