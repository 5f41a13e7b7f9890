// The GL and window tests need a running QApplication. The window tests need
// a display (run them under xvfb-run -a where there is none); without one, Qt
// runs on its offscreen platform and the offscreen tests draw through EGL.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    // Surfaces start the music; without a sound card the tests play to SDL's
    // dummy device unless a test chooses otherwise.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    // The leak check runs here rather than at exit: once Qt closes the X
    // display the GL driver is unloaded, and memory it still points to from its
    // own data would then look leaked, from a module LeakSanitizer can no longer
    // name; and threads winding down at exit now and then crash its tracer.
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
    return status;
}
