# What `cmake --install` puts where (GNUInstallDirs): the two programs, the
# desktop entry, icons in the hicolor theme drawn at build time by the capture
# tool, the man pages, the AppStream metainfo, and the copyright and changelog
# a Debian package carries.
#
# Sections: the texts | the icons | installing.

include(GNUInstallDirs)

set(UMBRAFEN_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(UMBRAFEN_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(UMBRAFEN_MAINTAINER "Umbrafen developers <umbrafen@example.org>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

# --- The texts. The photosensitivity warnings are kept once each and put into
# every file that carries them.
foreach(form long short)
  string(TOUPPER ${form} FORM)
  file(READ ${UMBRAFEN_PACKAGING}/photosensitivity-${form}.txt UMBRAFEN_WARNING_${FORM})
  string(STRIP "${UMBRAFEN_WARNING_${FORM}}" UMBRAFEN_WARNING_${FORM})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UMBRAFEN_PACKAGING}/photosensitivity-${form}.txt)
endforeach()
foreach(text umbrafen.6 umbrafen-capture.1 changelog org.umbrafen.Umbrafen.metainfo.xml)
  configure_file(${UMBRAFEN_PACKAGING}/${text}.in ${UMBRAFEN_PACKAGING_OUT}/${text} @ONLY)
endforeach()

# Debian wants the man pages and the changelog compressed; -n leaves out the
# time stamp, so a rebuild gives the same bytes.
find_program(UMBRAFEN_GZIP gzip REQUIRED)
set(UMBRAFEN_COMPRESSED)
foreach(text umbrafen.6 umbrafen-capture.1 changelog)
  set(compressed ${UMBRAFEN_PACKAGING_OUT}/${text}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${UMBRAFEN_GZIP} -9nkf ${UMBRAFEN_PACKAGING_OUT}/${text}
    DEPENDS ${UMBRAFEN_PACKAGING_OUT}/${text}
    VERBATIM)
  list(APPEND UMBRAFEN_COMPRESSED ${compressed})
endforeach()
add_custom_target(umbrafen_compressed_texts ALL DEPENDS ${UMBRAFEN_COMPRESSED})

# --- The icons: the crash frame (the disk and the four branches), square, drawn
# by our own capture tool at each size, with no display needed. The leak check
# is off as in the tests that run the tool: Qt unloads its platform plugin first.
set(UMBRAFEN_ICON_SIZES 48 64 128 256 512)
set(UMBRAFEN_ICON_SECONDS 61.5)
set(UMBRAFEN_ICONS)
foreach(size ${UMBRAFEN_ICON_SIZES})
  set(icon ${UMBRAFEN_PACKAGING_OUT}/icons/${size}x${size}/umbrafen.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${UMBRAFEN_PACKAGING_OUT}/icons/${size}x${size}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:umbrafen-capture> --at ${UMBRAFEN_ICON_SECONDS} --size ${size}x${size} --output ${icon}
    DEPENDS umbrafen-capture
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND UMBRAFEN_ICONS ${icon})
endforeach()
add_custom_target(umbrafen_icons ALL DEPENDS ${UMBRAFEN_ICONS})

# --- Installing.
install(TARGETS umbrafen umbrafen-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${UMBRAFEN_PACKAGING}/umbrafen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${UMBRAFEN_PACKAGING_OUT}/org.umbrafen.Umbrafen.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${UMBRAFEN_ICON_SIZES})
  install(FILES ${UMBRAFEN_PACKAGING_OUT}/icons/${size}x${size}/umbrafen.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${UMBRAFEN_PACKAGING_OUT}/umbrafen.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${UMBRAFEN_PACKAGING_OUT}/umbrafen-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian's place, named for the package rather than the project.
install(FILES ${UMBRAFEN_PACKAGING}/copyright ${UMBRAFEN_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/umbrafen)
