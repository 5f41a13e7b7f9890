#!/usr/bin/env bash
# Builds the Debian package from the release build and checks it as a user
# would meet it: lintian (fails on errors), the desktop entry and AppStream
# metainfo validated, the package installed with apt-get, a still and a
# one-second video rendered by the installed capture tool with no display,
# the installed demo started under Xvfb, and the package removed again.
#   tools/check-package.sh [BUILD_DIR]     (default: build)
# Needs root or sudo, for apt-get.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${1:-$here/build}")"
started=$SECONDS

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
installed_here=0
finish() {
  if [ "$installed_here" -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=120 remove -y -qq umbrafen >/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT
step() { echo "== $*"; }

step "Release build and package"
"$here/tools/setup.sh" "$build"
rm -f "$build"/umbrafen_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/umbrafen_*_amd64.deb)
deb="${debs[0]}"
[ -f "$deb" ] || { echo "no package was made in $build" >&2; exit 1; }
echo "$(basename "$deb"): $(du -h "$deb" | cut -f1)"
dpkg-deb --field "$deb" Depends Recommends

step "lintian"
# Every tag down to the pedantic ones is listed; only errors fail the check.
lintian_status=0
lintian --fail-on error --display-info --pedantic "$deb" >"$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.txt" || true
[ "$lintian_status" -eq 0 ] || { echo "lintian reports errors" >&2; exit 1; }

step "Desktop entry and AppStream metainfo"
dpkg-deb -x "$deb" "$work/contents"
desktop-file-validate "$work/contents/usr/share/applications/umbrafen.desktop"
appstreamcli validate --no-net "$work/contents/usr/share/metainfo/org.umbrafen.Umbrafen.metainfo.xml"

step "Installing with apt-get"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=120 install -y -qq "$deb" >/dev/null
installed_here=1
hash -r
[ "$(command -v umbrafen-capture)" = /usr/bin/umbrafen-capture ]
/usr/bin/umbrafen --version
/usr/bin/umbrafen-capture --version
man -w umbrafen umbrafen-capture

step "The installed capture tool with no display"
env -u DISPLAY /usr/bin/umbrafen-capture --at 30 --size 1280x720 --output "$work/installed.png"
env -u DISPLAY "$build/bin/umbrafen-capture" --at 30 --size 1280x720 --output "$work/built.png"
cmp "$work/installed.png" "$work/built.png"
echo "still at 30 s: the same bytes as the build tree's"
env -u DISPLAY /usr/bin/umbrafen-capture --from 30 --to 31 --size 320x180 --output "$work/second.mp4" 2>/dev/null
frames="$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
  "$work/second.mp4")"
[ "$frames" = 60 ] || { echo "the one-second video has $frames frames, not 60" >&2; exit 1; }
echo "one-second video: $frames frames"

step "The installed demo under Xvfb"
# It must still be running after a few seconds: a crash or a refusal to start ends it sooner.
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x720x24 -noreset" bash -c '
  /usr/bin/umbrafen & demo=$!
  sleep 4
  kill -0 "$demo" || { echo "the installed demo ended within 4 s" >&2; exit 1; }
  kill "$demo"; wait "$demo" || true'
echo "the installed demo ran for 4 s"

step "Removing the package"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=120 remove -y -qq umbrafen >/dev/null
installed_here=0
hash -r
if command -v umbrafen >/dev/null || [ -e /usr/share/applications/umbrafen.desktop ]; then
  echo "files of the package are left after removal" >&2
  exit 1
fi
echo "package check passed in $((SECONDS - started)) s"
