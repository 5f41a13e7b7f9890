#pragma once

// The framebuffer every frame is drawn into: 8-bit colour and an 8-bit stencil.
// The window copies it to the screen and the capture tool reads it back, so the
// same demo time and size give the same pixels whichever of them shows the frame
// (a window's own buffer may blend translucent lines a shade differently).
// Plain GL framebuffer calls, so it works in any current context: a window's,
// Qt's offscreen one or EGL's with no surface at all.

#include <QImage>

class FrameTarget
{
public:
    FrameTarget() = default;
    ~FrameTarget() = default;
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;

    // Makes a w x h framebuffer (keeping the current one if the size is the
    // same) and binds it. Needs a current context; false if it cannot be made,
    // as for a size beyond what the GL allows; the framebuffer bound before
    // (the context's own) then stays bound.
    bool bind(int w, int h);
    // Copies the frame to the framebuffer that was bound before bind() and
    // binds that again.
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
    bool make(int w, int h);

    // GL names; 0 while there is no framebuffer.
    unsigned int framebuffer = 0;
    unsigned int colour = 0;
    unsigned int depthStencil = 0;
    int width = 0;
    int height = 0;
    // What bind() found bound: the window's framebuffer, or none offscreen.
    int screen = 0;
};
