#include "app/OffscreenRenderer.h"

#include "app/Projection.h"
#include "app/Schedule.h"
#include "app/SurfaceState.h"
#include "gfx/Gl.h"

OffscreenRenderer::OffscreenRenderer(std::unique_ptr<OffscreenContext> glContext)
    : context(std::move(glContext)), current(context && context->makeCurrent())
{
}

OffscreenRenderer::~OffscreenRenderer()
{
    if (current && context->makeCurrent()) {
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
    if (!current || !context->makeCurrent() || w <= 0 || h <= 0 || w > maxSize() || h > maxSize())
        return false;
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
