#include "app/QtOffscreenContext.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

// After Qt: Xlib's macros (Bool, Status, None ...) would clash with its headers.
#include <X11/Xlib.h>

namespace {

// A display may refuse the GLX context (a server that allows no indirect
// rendering, as over ssh -X, or a client without its DRI driver). Xlib's
// default handler would then end the program with a report of its own; this
// one only counts, so that the refusal is ours to report.
int xErrors = 0;

int countXError(Display*, XErrorEvent*)
{
    ++xErrors;
    return 0;
}

} // namespace

std::unique_ptr<QtOffscreenContext> QtOffscreenContext::open(QString& problem)
{
    xErrors = 0;
    const XErrorHandler previous = XSetErrorHandler(countXError);
    std::unique_ptr<QtOffscreenContext> made(new QtOffscreenContext());
    // Making it current waits for the server's answer, so a refusal has arrived by then.
    if (made->context->create() && made->makeCurrent() && xErrors == 0) {
        XSetErrorHandler(previous);
        return made;
    }
    // The refused context still draws errors as it goes; the handler stays for them.
    problem = QStringLiteral("cannot create an OpenGL context on the X display '%1'").arg(qEnvironmentVariable("DISPLAY"));
    return nullptr;
}

QtOffscreenContext::QtOffscreenContext()
    : surface(std::make_unique<QOffscreenSurface>()), context(std::make_unique<QOpenGLContext>())
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setStencilBufferSize(8);
    surface->setFormat(format);
    surface->create();
    context->setFormat(format);
}

QtOffscreenContext::~QtOffscreenContext()
{
    if (QOpenGLContext::currentContext() == context.get())
        context->doneCurrent();
}

bool QtOffscreenContext::makeCurrent()
{
    return context->makeCurrent(surface.get());
}

void QtOffscreenContext::doneCurrent()
{
    context->doneCurrent();
}
