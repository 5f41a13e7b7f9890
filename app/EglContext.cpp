#include "app/EglContext.h"

// Neither platform we open needs X11, and Xlib's macros would clash with Qt's names.
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "gfx/Gl.h"

#include <cstring>

namespace {

// The most devices the device platform is asked for; Mesa lists one per GPU
// plus a software one.
constexpr EGLint kMaxDevices = 16;

// Extension lists are names separated by single spaces.
bool hasExtension(const char* list, const char* name)
{
    if (!list)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name)) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}

struct PlatformDisplay
{
    EGLDisplay display = EGL_NO_DISPLAY;
    QString problem;
};

EGLDisplay initialized(EGLDisplay display)
{
    EGLint major = 0;
    EGLint minor = 0;
    return display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor) ? display : EGL_NO_DISPLAY;
}

// Mesa's surfaceless platform; else the first device that initialises (with
// no GPU, Mesa's software device).
PlatformDisplay findDisplay()
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!hasExtension(clientExtensions, "EGL_EXT_platform_base") || !getPlatformDisplay)
        return {EGL_NO_DISPLAY, QStringLiteral("EGL offers no platform to draw on without a display")};

    if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        const EGLDisplay display =
            initialized(getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
        if (display != EGL_NO_DISPLAY)
            return {display, QString()};
    }
    const auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (hasExtension(clientExtensions, "EGL_EXT_platform_device") && queryDevices) {
        EGLDeviceEXT devices[kMaxDevices];
        EGLint count = 0;
        if (queryDevices(kMaxDevices, devices, &count)) {
            for (EGLint i = 0; i < count; ++i) {
                const EGLDisplay display = initialized(getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr));
                if (display != EGL_NO_DISPLAY)
                    return {display, QString()};
            }
        }
    }
    return {EGL_NO_DISPLAY,
            QStringLiteral("EGL can open neither Mesa's surfaceless platform nor a device")};
}

// Opened once per process and never terminated: terminating would end every
// context made on it, and unload the GL driver while Qt or a test may still
// hold what it allocated.
const PlatformDisplay& processDisplay()
{
    static const PlatformDisplay display = findDisplay();
    return display;
}

} // namespace

std::unique_ptr<EglContext> EglContext::open(QString& problem)
{
    const PlatformDisplay& platform = processDisplay();
    if (platform.display == EGL_NO_DISPLAY) {
        problem = platform.problem;
        return nullptr;
    }
    const EGLDisplay display = platform.display;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!hasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        problem = QStringLiteral("this EGL cannot draw without a surface");
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        problem = QStringLiteral("this EGL offers no desktop OpenGL");
        return nullptr;
    }
    // Every frame goes to a framebuffer object, so the context needs no
    // configuration where EGL allows that; else any desktop GL one.
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!hasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
            problem = QStringLiteral("this EGL has no configuration for desktop OpenGL");
            return nullptr;
        }
    }
    // Our drawing is fixed-function: the compatibility profile.
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT_KHR, EGL_NONE};
    const EGLContext context = eglCreateContext(
        display, config, EGL_NO_CONTEXT, hasExtension(extensions, "EGL_KHR_create_context") ? compatibility : nullptr);
    if (context == EGL_NO_CONTEXT) {
        problem = QStringLiteral("EGL cannot create a desktop OpenGL context");
        return nullptr;
    }
    std::unique_ptr<EglContext> made(new EglContext(display, context));
    if (!made->makeCurrent() || !glGetString(GL_VERSION)) {
        problem = QStringLiteral("EGL cannot make its OpenGL context current");
        return nullptr;
    }
    return made;
}

EglContext::EglContext(void* eglDisplay, void* eglContext) : display(eglDisplay), context(eglContext) {}

EglContext::~EglContext()
{
    if (eglGetCurrentContext() == context)
        doneCurrent();
    eglDestroyContext(display, context);
}

bool EglContext::makeCurrent()
{
    return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
}

void EglContext::doneCurrent()
{
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}
