#pragma once

// Renders frames of the schedule without a window: a framebuffer object with
// an 8-bit stencil in an offscreen GL context, set up with the same projection
// as a window of the same size.

#include "app/FrameTarget.h"
#include "app/OffscreenContext.h"

#include <QImage>

#include <memory>

class Schedule;

class OffscreenRenderer
{
public:
    // Draws in the given context (see GlSource.h); nullptr makes an invalid renderer.
    explicit OffscreenRenderer(std::unique_ptr<OffscreenContext> context);
    ~OffscreenRenderer();
    OffscreenRenderer(const OffscreenRenderer&) = delete;
    OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;

    // Whether the GL context could be made current.
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
    std::unique_ptr<OffscreenContext> context;
    FrameTarget target;
    bool current = false;
};
