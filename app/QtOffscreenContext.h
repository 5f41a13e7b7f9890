#pragma once

// A compatibility-profile GL context on Qt's offscreen surface: on the X
// display in DISPLAY (GLX), whether Qt runs on its xcb or its offscreen
// platform. Needs a QGuiApplication.

#include "app/OffscreenContext.h"

#include <QString>

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

class QtOffscreenContext : public OffscreenContext
{
public:
    // Opens a context and makes it current; nullptr, with the reason in one
    // phrase in `problem`, if Qt cannot give one.
    static std::unique_ptr<QtOffscreenContext> open(QString& problem);
    ~QtOffscreenContext() override;
    QtOffscreenContext(const QtOffscreenContext&) = delete;
    QtOffscreenContext& operator=(const QtOffscreenContext&) = delete;

    bool makeCurrent() override;
    void doneCurrent() override;

private:
    QtOffscreenContext();

    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
};
