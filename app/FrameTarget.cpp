#include "app/FrameTarget.h"

#include "gfx/Gl.h"

#include <QOpenGLFramebufferObject>

#include <algorithm>

int FrameTarget::largestSide()
{
    GLint texture = 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, viewport[0], viewport[1]});
}

FrameTarget::FrameTarget() = default;

FrameTarget::~FrameTarget() = default;

bool FrameTarget::bind(int w, int h)
{
    // Asking for more would raise GL errors and a warning on every frame, and
    // fail anyway.
    const int largest = largestSide();
    if (w <= 0 || h <= 0 || w > largest || h > largest) {
        framebuffer.reset();
        return false;
    }
    if (!framebuffer || framebuffer->width() != w || framebuffer->height() != h) {
        framebuffer = std::make_unique<QOpenGLFramebufferObject>(
            w, h, QOpenGLFramebufferObject::CombinedDepthStencil, GL_TEXTURE_2D, GL_RGBA8);
    }
    return framebuffer->isValid() && framebuffer->bind();
}

void FrameTarget::presentToScreen()
{
    if (!framebuffer)
        return;
    const QRect all(QPoint(0, 0), framebuffer->size());
    QOpenGLFramebufferObject::blitFramebuffer(nullptr, all, framebuffer.get(), all, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    QOpenGLFramebufferObject::bindDefault();
}

QImage FrameTarget::read() const
{
    if (!framebuffer)
        return QImage();
    const int w = framebuffer->width();
    const int h = framebuffer->height();
    QImage image(w, h, QImage::Format_RGBX8888);
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer->handle());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // Translucent draws leave alpha below 1; RGBX ignores it. GL's rows run bottom up.
    return image.mirrored().convertToFormat(QImage::Format_RGB32);
}

void FrameTarget::release()
{
    framebuffer.reset();
}
