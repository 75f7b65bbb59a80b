// OpenGL 1.1 and GLU for the web build: a small fixed-function layer of our
// own over WebGL that does what the core's scene asks and no more. Vertices
// are gathered in web_batch.cpp and drawn a batch at a time by web_gl.cpp.
// In the web build the core's <GL/gl.h> is web_gl_include.cmake's, which
// brings this in and maps OpenGL's names onto the layer's, so the core keeps
// calling the names it calls everywhere else.
//
// Why not emscripten's own fixed-function emulation: it makes one upload and
// one draw of every glBegin/glEnd block and sets the texture again for each,
// so the scene's 1024 sprites cost 1024 draws and held the page near 16
// frames a second at 640x360 on our 2-core test machine, where this layer
// draws the same frame in two at about 50 (scripts/bench-web.sh).
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include "web_batch.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

// Sets up the layer's program and buffer on the current WebGL context. A
// program WebGL refuses is told at the first draw, on the page and the console.
void web_gl_start();
// Draws what is gathered; the host calls it at the end of every frame.
inline void web_gl_finish_frame() { web_flush(); }
// WebGL draw calls made so far, for the page's own figures.
unsigned long web_gl_draw_calls();

// gluBuild2DMipmaps is for power-of-two pictures: level 0, then the chain
// WebGL builds from it. GL_CLAMP does not exist in WebGL; clamping to the edge
// is the nearest. A texture parameter set again to the value it has costs
// nothing and splits no batch. The page turns on no WebGL extension, so it
// offers the core none: asking WebGL which it could turn on waits on the
// renderer at the start. Hints WebGL does not know (the fog's) would only
// raise GL_INVALID_ENUM.
#define X(ret, gl_name, web_name, params) ret web_name params;
WEB_WEBGL_CALLS(X)
#undef X
