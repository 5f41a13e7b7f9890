# How the programs reach a display, or do without one: EGL lets the capture
# tool draw with no display server; xcb lets the window program say in one
# line that it has no display before Qt would abort; Xlib's error handler lets
# the capture tool report a GLX context the display refuses.

find_package(OpenGL REQUIRED COMPONENTS EGL)
find_package(X11 REQUIRED)
if(NOT X11_xcb_FOUND)
  message(FATAL_ERROR "xcb's headers are missing (on Debian: apt-get install libxcb1-dev)")
endif()
target_link_libraries(umbrafen_core PUBLIC OpenGL::EGL X11::xcb X11::X11)
