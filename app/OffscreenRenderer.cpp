#include "app/OffscreenRenderer.h"

#include "app/Projection.h"
#include "app/Schedule.h"
#include "app/SurfaceState.h"
#include "gfx/Gl.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <algorithm>

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
    if (!current)
        return 0;
    GLint texture = 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, viewport[0], viewport[1]});
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
