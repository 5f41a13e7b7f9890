#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once in a
# release build and once with AddressSanitizer and UndefinedBehaviorSanitizer.
# Without a display the GL and window tests run under xvfb-run; the offscreen
# GL tests run once more with no display at all.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

with_display=()
if [ -z "${DISPLAY:-}" ]; then
  # -noreset: Xvfb would otherwise restart whenever its last client leaves, and a
  # test starting in that moment could not connect.
  with_display=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
fi
# No sound card is needed: tests that play choose SDL's dummy or disk driver.
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

echo "== Release build and tests"
"$here/tools/setup.sh" "$here/build"
"${with_display[@]}" ctest --test-dir "$here/build" --output-on-failure -j2

echo "== The GL tests with no display at all: those that need no window draw through EGL, the rest skip"
env -u DISPLAY "$here/build/bin/gl_tests" --gtest_brief=1 | grep -v -e ': Skipped$' -e '^needs a display'

echo "== The same pictures from a build that may fuse multiply-adds"
"${with_display[@]}" "$here/tools/check-fma.sh" "$here/build"

echo "== Sanitizer build and tests"
"$here/tools/setup.sh" "$here/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DUMBRAFEN_SANITIZE=ON
# One rasterizer thread: LeakSanitizer's stop-the-world tracer now and then
# crashes while llvmpipe's worker threads are alive.
export LP_NUM_THREADS=0
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$here/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/tests/sanitizer/ubsan.supp"
"${with_display[@]}" ctest --test-dir "$here/build-sanitize" --output-on-failure -j2

if [ -x "$here/tools/run-fuzz.sh" ]; then
  echo "== Fuzzing the WAV reader"
  "$here/tools/run-fuzz.sh"
fi
