#include "app/OffscreenRenderer.h"

#include "app/Projection.h"
#include "app/Schedule.h"
#include "app/SurfaceState.h"
#include "gfx/Gl.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

OffscreenRenderer::OffscreenRenderer()
    : surface(std::make_unique<QOffscreenSurface>()), context(std::make_unique<QOpenGLContext>())
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setStencilBufferSize(8);
    surface->setFormat(format);
    surface->create();
    context->setFormat(format);
    current = context->create() && context->makeCurrent(surface.get());
}

OffscreenRenderer::~OffscreenRenderer()
{
    if (current) {
        context->makeCurrent(surface.get());
        target.release();
        context->doneCurrent();
    }
}

int OffscreenRenderer::maxSize() const
{
    return current ? FrameTarget::largestSide() : 0;
}

bool OffscreenRenderer::begin(int w, int h)
{
    if (!current || w <= 0 || h <= 0 || w > maxSize() || h > maxSize())
        return false;
    context->makeCurrent(surface.get());
    if (!target.bind(w, h))
        return false;
    initializeSurfaceState();
    return applyProjection(w, h);
}

bool OffscreenRenderer::drawFrame(Schedule& schedule, float t)
{
    return schedule.drawFrame(t);
}

QImage OffscreenRenderer::image() const
{
    return target.read();
}
