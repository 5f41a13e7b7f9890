#include "app/QtOffscreenContext.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

std::unique_ptr<QtOffscreenContext> QtOffscreenContext::open(QString& problem)
{
    std::unique_ptr<QtOffscreenContext> made(new QtOffscreenContext());
    if (!made->context->create() || !made->makeCurrent()) {
        problem = QStringLiteral("cannot create an OpenGL context on the X display '%1'")
                      .arg(qEnvironmentVariable("DISPLAY"));
        return nullptr;
    }
    return made;
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
