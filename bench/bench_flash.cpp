// The flash analysis's cost per 1080p frame, which the capture tool pays for
// every frame of a video: at its worst, when every cell flashes and the worst
// 10° field is sought in every frame.

#include "tools/capture/FlashAnalyser.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Rings of black on white, and the same inverted: alternated, every cell flashes.
QImage rings(bool inverted)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(inverted ? Qt::black : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(inverted ? Qt::white : Qt::black, 9.0));
    for (int r = 10; r < 1200; r += 24)
        painter.drawEllipse(QPointF(960.0, 540.0), r, r);
    return image;
}

void BM_FlashAnalyser1080pFrame(benchmark::State& state)
{
    const QImage frames[2] = {rings(false), rings(true)};
    flash::FlashAnalyser analyser(1920, 1080, {60, 1});
    int n = 0;
    for (auto _ : state) {
        const flash::FrameFlashes result = analyser.add(frames[n++ % 2]);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_FlashAnalyser1080pFrame)->Unit(benchmark::kMillisecond);

} // namespace
