#pragma once

// Renders frames of the schedule without a window: an offscreen GL context and
// a framebuffer object with an 8-bit stencil, set up with the same projection
// as a window of the same size. Needs a QGuiApplication.

#include "app/FrameTarget.h"

#include <QImage>

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class Schedule;

class OffscreenRenderer
{
public:
    OffscreenRenderer();
    ~OffscreenRenderer();
    OffscreenRenderer(const OffscreenRenderer&) = delete;
    OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;

    // Whether a GL context could be created and made current.
    bool valid() const { return current; }
    // The largest width and height a frame may have here.
    int maxSize() const;

    // Makes the context current and sets up a w x h framebuffer, the surface's
    // GL state and projection. Returns false if the size is out of range.
    bool begin(int w, int h);
    // Draws the schedule's frame for demo time t (the context stays current).
    bool drawFrame(Schedule& schedule, float t);
    // Finishes the frame and reads it back, the right way up.
    QImage image() const;

private:
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    FrameTarget target;
    bool current = false;
};
