#pragma once

// Where offscreen frames get their OpenGL, chosen once at start-up: EGL, which
// needs no display server, or an X display through Qt where EGL gives none.

#include "app/OffscreenContext.h"

#include <QString>

#include <memory>

enum class GlSource
{
    Automatic,  // EGL; the X display in DISPLAY if EGL fails
    Egl,
    XDisplay,
};

// Reads UMBRAFEN_CAPTURE_GL: unset or empty for Automatic, "egl" or "x11" to
// force one. False, with the reason, for anything else.
bool glSourceFromEnvironment(GlSource& source, QString& problem);

// Opens a context from the source and makes it current. The X display needs a
// QGuiApplication. nullptr when none can be had, with one phrase in `problem`
// that says why and which Debian packages to install.
std::unique_ptr<OffscreenContext> openOffscreenContext(GlSource source, QString& problem);
