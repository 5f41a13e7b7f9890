#include "TimelinePlot.h"

#include "FrameTimeBenchmark.h"
#include "OutputFile.h"

#include "app/Schedule.h"

#include <QApplication>
#include <QBuffer>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

QT_CHARTS_USE_NAMESPACE

namespace {

constexpr int kPlotWidth = 1600;
constexpr int kPlotHeight = 760;
constexpr double kFrameBudgetMs = 1000.0 / 60.0;

// Light fills that still tell four overlapping scenes apart.
constexpr QRgb kSceneColours[] = {0x4c72b0, 0x55a868, 0xccb974, 0x8172b2};
constexpr int kSceneAlpha = 38;

QLineSeries* line(const QString& name, QColor colour, double width, Qt::PenStyle style = Qt::SolidLine)
{
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidthF(width);
    pen.setStyle(style);
    series->setPen(pen);
    return series;
}

// The chart with its two axes; series are attached by add().
struct Plot
{
    QChart* chart = new QChart;
    QValueAxis* x = new QValueAxis;
    QValueAxis* y = new QValueAxis;

    Plot(const QString& title, double from, double to, const QString& yTitle, double top, double yTick)
    {
        QFont titleFont = chart->titleFont();
        titleFont.setPointSizeF(15.0);
        titleFont.setBold(true);
        chart->setTitleFont(titleFont);
        chart->setTitle(title);
        chart->legend()->setAlignment(Qt::AlignBottom);
        QFont legendFont = chart->legend()->font();
        legendFont.setPointSizeF(11.0);
        chart->legend()->setFont(legendFont);
        x->setTitleText(QStringLiteral("demo time (s)"));
        x->setRange(from, to);
        x->setTickType(QValueAxis::TicksDynamic);
        x->setTickAnchor(0.0);
        x->setTickInterval(to - from > 20.0 ? 5.0 : 1.0);
        x->setLabelFormat(QStringLiteral("%g"));
        y->setTitleText(yTitle);
        y->setRange(0.0, top);
        y->setTickType(QValueAxis::TicksDynamic);
        y->setTickAnchor(0.0);
        y->setTickInterval(yTick);
        y->setLabelFormat(QStringLiteral("%g"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
    }

    void add(QAbstractSeries* series)
    {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }

    // The scenes as shaded spans from the bottom to `top`, drawn first so
    // the lines lie over them.
    void shadeScenes(const std::vector<TimelinePlot::SceneSpan>& scenes, double from, double to, double top)
    {
        int index = 0;
        for (const TimelinePlot::SceneSpan& scene : scenes) {
            const double start = std::max(scene.start, from);
            const double end = std::min(scene.end, to);
            const QRgb rgb = kSceneColours[index++ % std::size(kSceneColours)];
            if (start >= end)
                continue;
            auto* upper = new QLineSeries;
            upper->append(start, top);
            upper->append(end, top);
            auto* lower = new QLineSeries;
            lower->append(start, 0.0);
            lower->append(end, 0.0);
            auto* area = new QAreaSeries(upper, lower);
            area->setName(QStringLiteral("%1 %2–%3 s").arg(scene.name).arg(scene.start).arg(scene.end));
            QColor fill(rgb);
            fill.setAlpha(kSceneAlpha);
            area->setBrush(fill);
            area->setPen(Qt::NoPen);
            add(area);
        }
    }

    QByteArray png()
    {
        // Qt Charts draws through a widget: no QApplication, no plot.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            delete chart;
            return QByteArray();
        }
        QChartView view(chart);  // takes the chart
        view.setRenderHint(QPainter::Antialiasing);
        view.resize(kPlotWidth, kPlotHeight);
        const QImage image = view.grab().toImage();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return QByteArray();
        return bytes;
    }
};

} // namespace

std::vector<TimelinePlot::SceneSpan> TimelinePlot::scenesOf(const Schedule& schedule)
{
    std::vector<SceneSpan> spans;
    for (const Schedule::SceneInfo& entry : schedule.scenes())
        spans.push_back({entry.start, entry.end, QString::fromStdString(FrameTimeBenchmark::sceneName(*entry.scene))});
    return spans;
}

QByteArray TimelinePlot::flashes(const std::vector<flash::FrameFlashes>& frames, const FrameRange& range,
                                 const std::vector<SceneSpan>& scenes)
{
    constexpr double kTop = 100.0;
    Plot plot(QStringLiteral("Area flashing more than three times a second (WCAG 2.3.1, ITU-R BT.1702)"),
              range.from(), range.to(), QStringLiteral("share of the area flashing (%)"), kTop, 10.0);
    plot.shadeScenes(scenes, range.from(), range.to(), kTop);

    const bool anyRed = std::any_of(frames.begin(), frames.end(),
                                    [](const flash::FrameFlashes& f) { return f.redFieldShare > 0.0f; });
    QLineSeries* view = line(QStringLiteral("whole view (BT.1702)"), QColor(0x1f4e9c), 1.6);
    QLineSeries* field = line(QStringLiteral("worst 10° field (WCAG)"),
                              QColor(0xe07b00), 1.6);
    QLineSeries* redView = anyRed ? line(QStringLiteral("red flashes, whole view"), QColor(0xd62728), 1.2) : nullptr;
    QLineSeries* redField =
        anyRed ? line(QStringLiteral("red flashes, worst 10° field"), QColor(0xd62728), 1.2, Qt::DashLine) : nullptr;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const double t = range.secondsOf(static_cast<std::int64_t>(n));
        view->append(t, 100.0 * frames[n].viewShare);
        field->append(t, 100.0 * frames[n].fieldShare);
        if (anyRed) {
            redView->append(t, 100.0 * frames[n].redViewShare);
            redField->append(t, 100.0 * frames[n].redFieldShare);
        }
    }
    QLineSeries* limit = line(QStringLiteral("25 %: the limit of both"), QColor(0x222222), 1.4, Qt::DashLine);
    limit->append(range.from(), 100.0 * flash::kAreaLimit);
    limit->append(range.to(), 100.0 * flash::kAreaLimit);
    for (QLineSeries* series : {field, view, redField, redView, limit}) {
        if (series)
            plot.add(series);
    }
    return plot.png();
}

QByteArray TimelinePlot::frameTimes(const FrameTimeBenchmark& benchmark, const Schedule& schedule, int width,
                                    int height)
{
    const FrameRange& range = benchmark.frameRange();
    const std::vector<double> bounds = benchmark.stretchBounds(schedule);
    std::vector<double> all;
    for (const FrameTimeBenchmark::Timing& t : benchmark.timings())
        all.push_back(t.generateMs + t.drawMs);
    const FrameTimeBenchmark::Spread overall = FrameTimeBenchmark::spreadOf(all);

    // Room for every stretch's 99th percentile; rarer spikes run off the top.
    auto* median = line(QStringLiteral("median per stretch"), QColor(0x2ca02c), 2.4);
    auto* p99 = line(QStringLiteral("99th percentile per stretch"), QColor(0xe07b00), 2.4);
    double highest = kFrameBudgetMs;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        std::vector<double> inside;
        for (const FrameTimeBenchmark::Timing& t : benchmark.timings()) {
            if (t.seconds >= bounds[i] && t.seconds < bounds[i + 1])
                inside.push_back(t.generateMs + t.drawMs);
        }
        if (inside.empty())
            continue;
        const FrameTimeBenchmark::Spread s = FrameTimeBenchmark::spreadOf(inside);
        median->append(bounds[i], s.median);
        median->append(bounds[i + 1], s.median);
        p99->append(bounds[i], s.p99);
        p99->append(bounds[i + 1], s.p99);
        highest = std::max(highest, s.p99);
    }
    const double tick = highest > 60.0 ? 10.0 : 5.0;
    const double top = std::ceil(highest * 1.15 / tick) * tick;
    const auto offTop = std::count_if(all.begin(), all.end(), [top](double ms) { return ms > top; });
    const auto rate = range.rate();
    const QString fps = rate.den == 1 ? QString::number(rate.num) : QStringLiteral("%1/%2").arg(rate.num).arg(rate.den);
    QString title = QStringLiteral("Frame times at %1x%2, %3 fps: median %4 ms, 99th percentile %5 ms")
                        .arg(width)
                        .arg(height)
                        .arg(fps)
                        .arg(overall.median, 0, 'f', 1)
                        .arg(overall.p99, 0, 'f', 1);
    if (offTop > 0)
        title += QStringLiteral(" (%1 frames above %2 ms off the top)").arg(offTop).arg(top);

    Plot plot(title, range.from(), range.to(), QStringLiteral("frame time (ms)"), top, tick);
    plot.shadeScenes(scenesOf(schedule), range.from(), range.to(), top);
    auto* frames = line(QStringLiteral("each frame"), QColor(0x7f7f7f), 0.8);
    for (const FrameTimeBenchmark::Timing& t : benchmark.timings())
        frames->append(t.seconds, std::min(t.generateMs + t.drawMs, top));
    auto* budget = line(QStringLiteral("16.7 ms: 60 frames a second"), QColor(0xd62728), 1.6, Qt::DashLine);
    budget->append(range.from(), kFrameBudgetMs);
    budget->append(range.to(), kFrameBudgetMs);
    for (QLineSeries* series : {frames, median, p99, budget})
        plot.add(series);
    return plot.png();
}

QString TimelinePlot::saveFrameTimes(const QString& path, const FrameTimeBenchmark& benchmark,
                                     const Schedule& schedule, int width, int height)
{
    if (path.isEmpty())
        return QString();
    const QByteArray png = frameTimes(benchmark, schedule, width, height);
    if (png.isEmpty())
        return QStringLiteral("cannot draw the frame-time plot '%1'").arg(path);
    QString error;
    OutputFile::writeFile(path, png, error);
    return error;
}
