# `cpack -G DEB` from a release build: umbrafen_<version>_amd64.deb, installed
# under /usr. Needs cmake/Install.cmake first.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME umbrafen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Umbrafen developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${UMBRAFEN_MAINTAINER})
# Not "games": Debian keeps those in /usr/games, and the capture tool is no game.
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Most of the package is the soundtrack compiled into both programs, which xz
# shrinks by only 5 % at five times the time.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)

# The libraries the programs link, from dpkg-shlibdeps; and what it cannot
# see: Mesa's EGL vendor and its GL drivers (llvmpipe where there is no GPU)
# are loaded at run time through libglvnd. Only videos need the ffmpeg
# program: the demo and stills run without it, the tool names the package when
# it is missing, and apt installs recommendations by default.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo with procedural animation and its own music")
# The synopsis is the summary above; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Umbrafen plays its own music and, in step with it, draws 75 seconds of
procedural, mostly monochrome animation: falling drops whose rings cancel
where they overlap, a tree growing above the horizon while white roots grow
beneath it, a branch running over wavy ground and rolling hills, and four
branches framing an exploding disk.

umbrafen-capture renders the demo to PNG stills and to videos with the music,
with no display needed.

${UMBRAFEN_WARNING_SHORT}")

include(CPack)
