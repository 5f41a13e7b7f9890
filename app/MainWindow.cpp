#include "app/MainWindow.h"

#include "app/MainWidget.h"

#include <QKeyEvent>
#include <QScreen>

namespace {

const char* const kTitle = "Umbrafen (press space to start)";

struct ClockKey
{
    int key;
    double seconds;
};

constexpr ClockKey kClockKeys[] = {
    {Qt::Key_Left, -1.0},
    {Qt::Key_Right, 1.0},
    {Qt::Key_Up, -8.0},
    {Qt::Key_Down, 8.0},
};

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    // No larger than the surface can draw: a window manager keeps it so.
    const int side = static_cast<int>(MainWidget::kLargestSide / devicePixelRatioF());
    setMaximumSize(side, side);
}

MainWindow::~MainWindow() = default;

void MainWindow::toogleFullscreen(bool on)
{
    setWindowState(on ? Qt::WindowFullScreen : Qt::WindowActive);
}

void MainWindow::toggleFullscreenState()
{
    // Setting a state replaces the whole set, so leaving full screen also
    // leaves any maximised or minimised state.
    toogleFullscreen(!windowState().testFlag(Qt::WindowFullScreen));
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Space && centralWidget() == nullptr) {
        mainWidget = new MainWidget(nullptr);
        setCentralWidget(mainWidget);
        // Smaller still where the GL cannot make the largest frame.
        setMaximumSize(mainWidget->maximumSize());
    }
    if (key == Qt::Key_Escape)
        setWindowState(Qt::WindowActive);
    if (key == Qt::Key_Return && event->modifiers().testFlag(Qt::AltModifier))
        toggleFullscreenState();
    for (const ClockKey& clockKey : kClockKeys) {
        if (key == clockKey.key && mainWidget)
            mainWidget->skip(clockKey.seconds);
    }
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent*)
{
    toggleFullscreenState();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Each frame asks for the next one, and a minimised window is not painted,
    // so its demo stands still. Some window systems do not expose the window
    // again when it is restored; the surface is asked for a frame here, or it
    // would never play on (nor end).
    if (event->type() == QEvent::WindowStateChange && mainWidget && !isMinimized())
        mainWidget->update();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // Without a window manager another client may make the window as large as
    // X allows, 32767 pixels a side; the toolkit's buffer for that alone would
    // take 4 GiB and seconds to paint. It goes back within its maximum. A size
    // within the screen is left alone: a window manager may insist on it.
    const QSize largest = maximumSize().expandedTo(screen()->virtualSize());
    if (width() > largest.width() || height() > largest.height())
        resize(size().boundedTo(largest));
}
