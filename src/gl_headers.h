// OpenGL 1.1 and GLU, the only graphics interfaces the core uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
// The web build finds its own GL/gl.h first: the layer over WebGL (src/web).
#include <GL/gl.h>
#include <GL/glu.h>
