#pragma once

// Legacy fixed-function OpenGL with the buffer-object entry points, which the
// system libGL exports directly (GL_GLEXT_PROTOTYPES is set by the build).
#include <GL/gl.h>
#include <GL/glext.h>
