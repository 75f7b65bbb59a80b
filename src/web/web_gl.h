// OpenGL 1.1 and GLU for the web build: emscripten's fixed-function emulation
// over WebGL, with the few calls it lacks or gets wrong for the core filled in
// by web_gl.cpp. gl_headers.h brings this in when compiling for the browser,
// so the core keeps calling the names it calls everywhere else.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

// gluBuild2DMipmaps for power-of-two pictures: level 0, then the chain WebGL
// builds from it. Returns 0 like GLU, or the GL error.
GLint web_build_2d_mipmaps(GLenum target, GLint internal_format, GLsizei width, GLsizei height,
                           GLenum format, GLenum type, const void* data);
const GLubyte* web_error_string(GLenum code);

// Texture name 0 is a texture of its own in OpenGL 1.1 (the default object);
// WebGL has no such thing, so 0 binds one the layer keeps for it.
void web_bind_texture(GLenum target, GLuint name);
// GL_CLAMP does not exist in WebGL; clamping to the edge is the nearest.
void web_tex_parameteri(GLenum target, GLenum name, GLint value);

// The emulation only keeps what each vertex gives inside glBegin/glEnd; the
// layer carries the current normal, texture coordinate and colour to every
// vertex, as OpenGL does.
void web_begin(GLenum mode);
void web_end();
void web_normal3f(GLfloat x, GLfloat y, GLfloat z);
void web_normal3d(GLdouble x, GLdouble y, GLdouble z);
void web_tex_coord2f(GLfloat s, GLfloat t);
void web_color3f(GLfloat r, GLfloat g, GLfloat b);
void web_color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void web_vertex2f(GLfloat x, GLfloat y);
void web_vertex3f(GLfloat x, GLfloat y, GLfloat z);
void web_vertex3d(GLdouble x, GLdouble y, GLdouble z);

// The emulation answers glIsEnabled(GL_TEXTURE_2D) with 0 and has no
// attribute stack; the layer keeps the switches it needs for both.
void web_enable(GLenum cap);
void web_disable(GLenum cap);
GLboolean web_is_enabled(GLenum cap);
void web_push_attrib(GLbitfield mask);
void web_pop_attrib();
// The emulation takes the texture environment's mode from glTexEnvi only and
// drops it when it comes as a float, as OpenGL allows.
void web_tex_envf(GLenum target, GLenum name, GLfloat value);
// Hints WebGL does not know (the fog's) would only raise GL_INVALID_ENUM.
void web_hint(GLenum target, GLenum mode);

#ifndef ORVANE_WEB_GL_LAYER  // the layer itself calls the emulation's own names
#define gluBuild2DMipmaps web_build_2d_mipmaps
#define gluErrorString web_error_string
#define glBindTexture web_bind_texture
#define glTexParameteri web_tex_parameteri
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
#define glEnable web_enable
#define glDisable web_disable
#define glIsEnabled web_is_enabled
#define glPushAttrib web_push_attrib
#define glPopAttrib web_pop_attrib
#define glHint web_hint
#define glTexEnvf web_tex_envf
#endif
