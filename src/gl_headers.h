// OpenGL 1.1 and GLU, the only graphics interfaces the core uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __EMSCRIPTEN__
// In the browser: the web page's own fixed-function layer over WebGL.
#include "web/web_gl.h"
#else
#include <GL/gl.h>
#include <GL/glu.h>
#endif
