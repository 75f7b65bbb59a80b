// OpenGL 1.1 and GLU, the only graphics interfaces the core uses.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
