#include "app/MainWidget.h"

#include "app/Projection.h"
#include "app/SurfaceState.h"
#include "audio/Soundtrack.h"
#include "gfx/Gl.h"

#include <QResource>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {

MainWidget::ClockFunction clockNow = &MainWidget::steadyClockNanos;

QGLFormat surfaceFormat()
{
    // The stencil inversion pass needs 8 stencil bits; without them every cover
    // would paint the whole window black.
    QGLFormat format = QGLFormat::defaultFormat();
    format.setStencil(true);
    format.setStencilBufferSize(8);
    return format;
}

} // namespace

MainWidget::MainWidget(QWidget* parent)
    : QGLWidget(surfaceFormat(), parent)
{
    // The surface stays within the largest frame, whatever size its window
    // takes; beyond it the window is left empty. (Drawing a smaller frame
    // scaled up would still write the whole oversized buffer.)
    if (isValid()) {
        makeCurrent();
        const int side = FrameTarget::largestSide();
        if (side > 0)
            largest = std::min(side, kLargestSide);
    }
    const int logical = static_cast<int>(largest / devicePixelRatioF());
    setMaximumSize(logical, logical);
    // Buffers are swapped only after a frame has been drawn into them.
    setAutoBufferSwap(false);
    startPlayMusic();
}

MainWidget::~MainWidget()
{
    player.reset();  // the music stops before anything else goes
    makeCurrent();
    frame.release();
}

void MainWidget::setClock(ClockFunction clock)
{
    clockNow = clock ? clock : &MainWidget::steadyClockNanos;
}

std::int64_t MainWidget::steadyClockNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void MainWidget::startPlayMusic()
{
    // Compiled-in resource data is static: the stream may read it for the rest
    // of the process, after the handle is gone.
    QResource resource(QString::fromLatin1(kSoundtrackResource));
    player = std::make_unique<BassPlay>(const_cast<uchar*>(resource.data()),
                                        static_cast<unsigned long>(resource.size()));
    player->play();
}

void MainWidget::skip(double seconds)
{
    startInstant -= static_cast<std::int64_t>(seconds * 1e9);
}

void MainWidget::initializeGL()
{
    initializeSurfaceState();
    // The clock starts before the scenes are built: building them counts as demo time.
    startInstant = clockNow();
    schedule.build();
}

void MainWidget::resizeGL(int w, int h)
{
    surfaceWidth = w;
    surfaceHeight = h;
    // A minimised window has no valid aspect; the last projection stays.
    if (applyProjection(w, h)) {
        aspect = static_cast<float>(w) / static_cast<float>(h);
        frameWidth = w;
        frameHeight = h;
    }
}

void MainWidget::paintGL()
{
    const std::int64_t now = clockNow();
    const float t = demoSeconds(now, startInstant);
    bool goesOn = !schedule.empty() && t < Schedule::endTime();
    // Larger than the bound (its window moved to a screen of a higher scale,
    // say): no buffer is touched until it fits again, and the demo plays on.
    if (fitsTheLargestFrame()) {
        const bool framed = frameWidth > 0 && frame.bind(frameWidth, frameHeight);
        goesOn = schedule.drawFrame(t);
        if (framed)
            frame.presentToScreen();
        swapBuffers();
    }
    if (!goesOn)
        deleteLater();
    QTimer::singleShot(1, this, SLOT(update()));
}
