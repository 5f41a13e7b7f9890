#!/usr/bin/env bash
# Installs the Debian packages Umbrafen needs to build, run and test, if any are
# missing, then configures and builds into the given directory.
#   tools/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$1"
shift

packages=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5opengl5-dev libqt5charts5-dev fonts-dejavu-core
  libgl1-mesa-dev libgl1-mesa-dri libglu1-mesa-dev libegl-dev libegl-mesa0
  libsdl2-dev libebur128-dev libx11-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xfonts-base clang libclang-rt-14-dev
  ffmpeg
  lintian desktop-file-utils appstream man-db
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
