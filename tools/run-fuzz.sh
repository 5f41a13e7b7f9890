#!/usr/bin/env bash
# Fuzzes the WAV validator with libFuzzer for a bounded time (default 60 s).
# Exits non-zero if the fuzzer finds a crash, a sanitizer report or a leak.
#
#   tools/run-fuzz.sh [SECONDS] [BUILD_DIR]
# Needs clang++ with libFuzzer (Debian: clang, libclang-rt-dev).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$(mktemp -d)}"
mkdir -p "$build/corpus"
cxx="${CXX_FUZZ:-clang++}"

"$cxx" -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root" "$root/audio/WavFile.cpp" "$root/tests/fuzz/WavFuzz.cpp" -o "$build/wav-fuzz"

# Seeds: a valid stereo file and a mono one with an odd extra chunk.
printf 'RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00\x44\xac\x00\x00\x10\xb1\x02\x00\x04\x00\x10\x00data\x08\x00\x00\x00\x01\x00\x02\x00\x03\x00\x04\x00' \
  > "$build/corpus/stereo.wav"
printf 'RIFF\x2e\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x22\x56\x00\x00\x44\xac\x00\x00\x02\x00\x10\x00LIST\x03\x00\x00\x00abc\x00data\x02\x00\x00\x00\x07\x00' \
  > "$build/corpus/mono.wav"

cd "$build"
./wav-fuzz -max_total_time="$seconds" -max_len=512 -print_final_stats=1 corpus
