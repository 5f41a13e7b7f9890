#include "app/Projection.h"

#include "gfx/Gl.h"

OrthoBounds orthoBounds(int w, int h)
{
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    if (aspect < 1.0f)
        return {-aspect, aspect, -1.0f, 1.0f};
    const float inverse = 1.0f / aspect;
    return {-1.0f, 1.0f, -inverse, inverse};
}

bool applyProjection(int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    glViewport(0, 0, w, h);
    const OrthoBounds b = orthoBounds(w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(b.left, b.right, b.bottom, b.top, -1.0, 1.0);
    return true;
}
