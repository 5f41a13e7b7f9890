# The version, defined once by project(), in a header both programs include,
# and the day it was released (for the man pages, metainfo and changelog).
set(UMBRAFEN_RELEASE_DATE 2026-12-08)
set(UMBRAFEN_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")

configure_file(${CMAKE_SOURCE_DIR}/cmake/UmbrafenVersion.h.in ${CMAKE_BINARY_DIR}/generated/UmbrafenVersion.h @ONLY)
target_include_directories(umbrafen_core PUBLIC ${CMAKE_BINARY_DIR}/generated)
