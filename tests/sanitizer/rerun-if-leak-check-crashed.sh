#!/bin/sh
# Runs a sanitizer-built test program; if LeakSanitizer's own tracer crashed
# (not a leak found: the checker broke), runs it once more.
#
# Now and then, under load, the tracer reads a dynamic TLS entry of the main
# thread with nonsense bounds (seen: 0x1098 to 0x18000000219a, left by the GL
# driver's libraries) and dies of SIGSEGV after every test has passed. Such a
# run says nothing about our code. A leak report, a sanitizer error or a failed
# test is never run again.
# Standard output and error stay apart: CTest reads the test list from the
# first.
out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
"$@" >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
if [ "$status" -ne 0 ] && grep -q "LeakSanitizer has encountered a fatal error" "$err" &&
   ! grep -q -e "ERROR: AddressSanitizer" -e "ERROR: LeakSanitizer" -e "runtime error:" -e "^\[  FAILED  \]" "$out" "$err"; then
  echo "LeakSanitizer's tracer crashed after the tests; running them once more" >&2
  "$@"
  exit $?
fi
exit "$status"
