// OpenGL 1.1 and GLU, the only graphics interfaces the core uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __EMSCRIPTEN__
// In the browser: emscripten's emulation, with the web layer over its gaps.
#include "web/web_gl.h"
#else
#include <GL/gl.h>
#include <GL/glu.h>
#endif
