#include "app/QuitRequests.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <xcb/xcb.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe's write end, set before the handlers are installed.
int wakeFd = -1;

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // Non-blocking: with the pipe full a quit is already on its way.
    [[maybe_unused]] const ssize_t written = write(wakeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitRequests::QuitRequests()
{
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no signal handling; the signals keep their default action
    wakeFd = pipeEnds[1];
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &QuitRequests::takeSignals);
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        sigaction(kSignals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

QuitRequests::~QuitRequests()
{
    if (!notifier)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    notifier.reset();
    wakeFd = -1;
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

void QuitRequests::takeSignals()
{
    char bytes[64];
    while (read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    QApplication::closeAllWindows();
}

bool QuitRequests::nativeEventFilter(const QByteArray& eventType, void* message, long*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    // The high bit marks an event sent by another client.
    const int type = static_cast<const xcb_generic_event_t*>(message)->response_type & 0x7f;
    if (type == 0) {
        // Closing a window that is gone makes the toolkit unmap and destroy it
        // once more, and a paint already on its way may still use the
        // window's drawable or the graphics context freed with it: expected
        // errors while the program closes, not reported.
        const auto* error = static_cast<const xcb_generic_error_t*>(message);
        const bool aboutTheGoneWindow = error->error_code == XCB_WINDOW || error->error_code == XCB_DRAWABLE ||
                                        error->error_code == XCB_G_CONTEXT;
        return !gone.empty() && aboutTheGoneWindow;
    }
    if (type != XCB_DESTROY_NOTIFY)
        return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    // Every one: the toolkit may also have asked to destroy it, too late.
    gone.push_back(destroyed->window);
    // Closed once the event is handled: the window is gone, its widget not yet.
    // (A window the toolkit destroyed itself has no widget any more.)
    QWidget* widget = QWidget::find(destroyed->window);
    if (widget && widget->isWindow())
        QMetaObject::invokeMethod(widget, "close", Qt::QueuedConnection);
    return false;
}
