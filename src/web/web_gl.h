// OpenGL 1.1 and GLU for the web build: a small fixed-function layer of our
// own over WebGL that does what the core's scene asks and no more. Vertices
// are gathered in web_batch.cpp and drawn a batch at a time by web_gl.cpp.
// gl_headers.h brings this in when compiling for the browser, so the core
// keeps calling the names it calls everywhere else.
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

// gluBuild2DMipmaps for power-of-two pictures: level 0, then the chain WebGL
// builds from it. Returns 0 like GLU, or the GL error.
GLint web_build_2d_mipmaps(GLenum target, GLint internal_format, GLsizei width, GLsizei height,
                           GLenum format, GLenum type, const void* data);
const GLubyte* web_error_string(GLenum code);
// GL_CLAMP does not exist in WebGL; clamping to the edge is the nearest. A
// parameter set again to the value it has costs nothing and splits no batch.
void web_tex_parameteri(GLenum target, GLenum name, GLint value);
void web_tex_image_2d(GLenum target, GLint level, GLint internal_format, GLsizei width,
                      GLsizei height, GLint border, GLenum format, GLenum type, const void* data);
void web_clear(GLbitfield mask);
void web_viewport(GLint x, GLint y, GLsizei width, GLsizei height);
GLenum web_get_error();
void web_get_floatv(GLenum name, GLfloat* out);
// The page turns on no WebGL extension, so it offers the core none; asking
// WebGL which it could turn on waits on the renderer at the start.
const GLubyte* web_get_string(GLenum name);
// Hints WebGL does not know (the fog's) would only raise GL_INVALID_ENUM.
void web_hint(GLenum target, GLenum mode);

#ifndef ORVANE_WEB_GL_LAYER  // the layer itself calls WebGL's own names
#define gluBuild2DMipmaps web_build_2d_mipmaps
#define gluErrorString web_error_string
#define gluPerspective web_perspective
#define glBindTexture web_bind_texture
#define glTexParameteri web_tex_parameteri
#define glTexImage2D web_tex_image_2d
#define glClear web_clear
#define glViewport web_viewport
#define glGetError web_get_error
#define glGetFloatv web_get_floatv
#define glGetString web_get_string
#define glHint web_hint
#define glBegin web_begin
#define glEnd web_end
#define glNormal3f web_normal3f
#define glNormal3d web_normal3d
#define glTexCoord2f web_tex_coord2f
#define glColor3f web_color3f
#define glColor4f web_color4f
#define glVertex2f web_vertex2f
#define glVertex3f web_vertex3f
#define glVertex3d web_vertex3d
#define glMatrixMode web_matrix_mode
#define glLoadIdentity web_load_identity
#define glPushMatrix web_push_matrix
#define glPopMatrix web_pop_matrix
#define glTranslatef web_translatef
#define glRotatef web_rotatef
#define glScalef web_scalef
#define glOrtho web_ortho
#define glEnable web_enable
#define glDisable web_disable
#define glIsEnabled web_is_enabled
#define glPushAttrib web_push_attrib
#define glPopAttrib web_pop_attrib
#define glBlendFunc web_blend_func
#define glTexEnvf web_tex_envf
#define glTexEnvi web_tex_envi
#define glFogi web_fogi
#define glFogf web_fogf
#define glFogfv web_fogfv
#define glShadeModel web_shade_model
#define glLightfv web_lightfv
#define glMaterialfv web_materialfv
#endif
