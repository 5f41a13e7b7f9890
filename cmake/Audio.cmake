# The music: the audio layer's SDL2 dependency, the WAV the composer
# (tools/composer) writes and the resource that compiles it into the program.

find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
target_link_libraries(umbrafen_core PUBLIC PkgConfig::SDL2)

set(UMBRAFEN_SOUNDTRACK ${CMAKE_BINARY_DIR}/umf.wav)
add_custom_command(OUTPUT ${UMBRAFEN_SOUNDTRACK}
  COMMAND umbrafen-composer ${UMBRAFEN_SOUNDTRACK}
  DEPENDS umbrafen-composer
  COMMENT "Composing the soundtrack umf.wav"
  VERBATIM)
add_custom_target(umbrafen_soundtrack DEPENDS ${UMBRAFEN_SOUNDTRACK})

# The player hands the resource's raw bytes to the audio layer, so it must be
# stored uncompressed; 13 MB needs the big-resource path.
set(UMBRAFEN_SOUNDTRACK_QRC ${CMAKE_BINARY_DIR}/soundtrack.qrc)
file(WRITE ${UMBRAFEN_SOUNDTRACK_QRC}.in
  "<RCC>\n  <qresource prefix=\"/xm\">\n"
  "    <file alias=\"umf.wav\" compression-algorithm=\"none\">${UMBRAFEN_SOUNDTRACK}</file>\n"
  "  </qresource>\n</RCC>\n")
configure_file(${UMBRAFEN_SOUNDTRACK_QRC}.in ${UMBRAFEN_SOUNDTRACK_QRC} COPYONLY)
qt5_add_big_resources(UMBRAFEN_SOUNDTRACK_OBJECTS ${UMBRAFEN_SOUNDTRACK_QRC})
add_custom_target(umbrafen_soundtrack_resource DEPENDS ${UMBRAFEN_SOUNDTRACK_OBJECTS})

# A big resource registers itself from a static initialiser in its own object
# file; inside a static library nothing would pull that object in, so it goes
# straight into each executable that plays the music.
function(umbrafen_link_soundtrack target)
  target_sources(${target} PRIVATE ${UMBRAFEN_SOUNDTRACK_OBJECTS})
  add_dependencies(${target} umbrafen_soundtrack_resource)
endfunction()
