#include "app/MainWidget.h"

#include "app/Projection.h"
#include "app/SurfaceState.h"
#include "audio/Soundtrack.h"
#include "gfx/Gl.h"

#include <QResource>
#include <QTimer>

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
    const bool framed = frameWidth > 0 && frame.bind(frameWidth, frameHeight);
    const bool goesOn = schedule.drawFrame(demoSeconds(now, startInstant));
    if (framed)
        frame.presentToScreen();
    if (!goesOn)
        deleteLater();
    QTimer::singleShot(1, this, SLOT(update()));
}
