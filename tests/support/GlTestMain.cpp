// The GL and window tests need a running QApplication (and a display: run them
// under xvfb-run -a where there is none).

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {

// At exit Qt closes the X display, and the GL driver it loaded is unloaded
// with it. Memory the driver still points to from its own data would then look
// leaked to LeakSanitizer, from a module it can no longer name. Keeping the
// driver loaded to the end lets the leak check see what really is reachable.
void keepGlDriverLoadedToTheEnd()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name != nullptr && std::strstr(name, "/dri/") != nullptr)
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    // Surfaces start the music; without a sound card the tests play to SDL's
    // dummy device unless a test chooses otherwise.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    keepGlDriverLoadedToTheEnd();
    return status;
}
