# The version, defined once by project(), in a header both programs include.
configure_file(${CMAKE_SOURCE_DIR}/cmake/UmbrafenVersion.h.in ${CMAKE_BINARY_DIR}/generated/UmbrafenVersion.h @ONLY)
target_include_directories(umbrafen_core PUBLIC ${CMAKE_BINARY_DIR}/generated)
