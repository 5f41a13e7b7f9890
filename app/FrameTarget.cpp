#include "app/FrameTarget.h"

#include "gfx/Gl.h"

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

bool FrameTarget::bind(int w, int h)
{
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    if (framebuffer == 0 || static_cast<GLuint>(bound) != framebuffer)
        screen = bound;
    // Asking for more would raise GL errors and a warning on every frame, and
    // fail anyway.
    const int largest = largestSide();
    if (w <= 0 || h <= 0 || w > largest || h > largest) {
        release();
        return false;
    }
    if ((framebuffer == 0 || w != width || h != height) && !make(w, h)) {
        release();
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return true;
}

// A colour texture and a combined depth-stencil renderbuffer, as Qt's
// framebuffer objects made them. Restores the bindings it changes.
bool FrameTarget::make(int w, int h)
{
    release();
    GLint boundTexture = 0;
    GLint boundRenderbuffer = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &boundRenderbuffer);

    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depthStencil);
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencil);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(screen));
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(boundRenderbuffer));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    width = w;
    height = h;
    return complete;
}

void FrameTarget::presentToScreen()
{
    if (framebuffer == 0)
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(screen));
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(screen));
}

QImage FrameTarget::read() const
{
    if (framebuffer == 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGBX8888);
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // Translucent draws leave alpha below 1; RGBX ignores it. GL's rows run bottom up.
    return image.mirrored().convertToFormat(QImage::Format_RGB32);
}

void FrameTarget::release()
{
    if (framebuffer == 0 && colour == 0 && depthStencil == 0)
        return;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    if (static_cast<GLuint>(bound) == framebuffer)
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(screen));
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &depthStencil);
    glDeleteTextures(1, &colour);
    framebuffer = colour = depthStencil = 0;
    width = height = 0;
}
