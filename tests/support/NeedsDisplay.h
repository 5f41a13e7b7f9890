#pragma once

// Window tests begin with SKIP_WITHOUT_A_DISPLAY(): with no display the GL
// tests run on Qt's offscreen platform, where the offscreen tests still draw
// (through EGL) but no window can be shown, so those tests are skipped, not failed.

#include <QtGlobal>

#include <gtest/gtest.h>

#define SKIP_WITHOUT_A_DISPLAY()                     \
    if (qEnvironmentVariableIsEmpty("DISPLAY"))      \
    GTEST_SKIP() << "needs a display (run under xvfb-run -a)"
