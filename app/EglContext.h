#pragma once

// A desktop OpenGL compatibility context through EGL, made current with no
// surface at all: drawing needs no display server, only Mesa's EGL (its
// surfaceless platform, or else its device platform) and a GL driver.

#include "app/OffscreenContext.h"

#include <QString>

#include <memory>

class EglContext : public OffscreenContext
{
public:
    // Opens a context and makes it current; nullptr, with the reason in one
    // phrase in `problem`, if EGL cannot give one.
    static std::unique_ptr<EglContext> open(QString& problem);
    ~EglContext() override;
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    bool makeCurrent() override;
    void doneCurrent() override;

private:
    // EGLDisplay and EGLContext, kept opaque so that EGL's headers (and the
    // X11 macros they can bring) stay out of this header.
    EglContext(void* display, void* context);

    void* display;
    void* context;
};
