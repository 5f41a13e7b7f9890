#include "app/GlSource.h"

#include "app/EglContext.h"
#include "app/QtOffscreenContext.h"

namespace {

constexpr char kVariable[] = "UMBRAFEN_CAPTURE_GL";
// What gives EGL a platform to draw on and GL a (software) driver on Debian.
constexpr char kInstall[] = "on Debian: sudo apt-get install libegl-mesa0 libgl1-mesa-dri";

std::unique_ptr<OffscreenContext> openOnXDisplay(QString& problem)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        problem = QStringLiteral("no X display is set");
        return nullptr;
    }
    return QtOffscreenContext::open(problem);
}

} // namespace

bool glSourceFromEnvironment(GlSource& source, QString& problem)
{
    const QString value = qEnvironmentVariable(kVariable);
    if (value.isEmpty())
        source = GlSource::Automatic;
    else if (value == QLatin1String("egl"))
        source = GlSource::Egl;
    else if (value == QLatin1String("x11"))
        source = GlSource::XDisplay;
    else {
        problem = QStringLiteral("%1: '%2' is neither egl nor x11").arg(QLatin1String(kVariable), value);
        return false;
    }
    return true;
}

std::unique_ptr<OffscreenContext> openOffscreenContext(GlSource source, QString& problem)
{
    QString eglProblem;
    QString xProblem;
    std::unique_ptr<OffscreenContext> context;
    if (source != GlSource::XDisplay && (context = EglContext::open(eglProblem)))
        return context;
    if (source != GlSource::Egl && (context = openOnXDisplay(xProblem)))
        return context;

    switch (source) {
    case GlSource::Egl:
        problem = QStringLiteral("no OpenGL through EGL: %1 (%2)").arg(eglProblem, QLatin1String(kInstall));
        break;
    case GlSource::XDisplay:
        problem = QStringLiteral("no OpenGL on an X display: %1").arg(xProblem);
        break;
    case GlSource::Automatic:
        problem = QStringLiteral("no OpenGL: %1, and %2 (%3)").arg(eglProblem, xProblem, QLatin1String(kInstall));
        break;
    }
    return nullptr;
}
