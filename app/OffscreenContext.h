#pragma once

// A GL context that draws into framebuffer objects only, with no window: the
// capture tool's and the GL tests'. Implemented over EGL (no display server)
// and over Qt's offscreen surface (an X display).
class OffscreenContext
{
public:
    virtual ~OffscreenContext() = default;

    // Makes the context current on this thread; false if it cannot be.
    virtual bool makeCurrent() = 0;
    virtual void doneCurrent() = 0;
};
