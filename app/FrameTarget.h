#pragma once

// The framebuffer every frame is drawn into: 8-bit colour and an 8-bit stencil.
// The window copies it to the screen and the capture tool reads it back, so the
// same demo time and size give the same pixels whichever of them shows the frame
// (a window's own buffer may blend translucent lines a shade differently).

#include <QImage>

#include <memory>

class QOpenGLFramebufferObject;

class FrameTarget
{
public:
    FrameTarget();
    ~FrameTarget();
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;

    // Makes a w x h framebuffer (keeping the current one if the size is the
    // same) and binds it. Needs a current context; false if it cannot be made,
    // as for a size beyond what the GL allows; the context's own framebuffer
    // then stays bound.
    bool bind(int w, int h);
    // Copies the frame to the context's own framebuffer and binds that again.
    void presentToScreen();
    // Waits for the frame and reads it, the right way up; alpha is taken as
    // opaque, as a window shows it.
    QImage read() const;
    // Drops the framebuffer; call with its context current.
    void release();

    // The widest and tallest framebuffer the current context can make: colour
    // texture, depth-stencil renderbuffer and viewport must all hold it.
    static int largestSide();

private:
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
};
