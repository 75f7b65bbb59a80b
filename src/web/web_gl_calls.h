// Every OpenGL and GLU call the web layer takes over from the core, once:
// X(return type, OpenGL's name, the layer's name, parameters). The layer's
// declarations come from here (web_batch.h, web_gl.h), and so does the web
// build's <GL/gl.h>, which maps each OpenGL name onto the layer's
// (web_gl_include.cmake). The native tests put each call beside OpenGL's own.
// Each call starts its own line: the build reads them as text.
#pragma once

// The calls web_batch.cpp answers, with no WebGL behind them.
#define WEB_BATCH_CALLS(X)                                                          \
  X(void, glBegin, web_begin, (GLenum mode))                                        \
  X(void, glEnd, web_end, ())                                                       \
  X(void, glNormal3f, web_normal3f, (GLfloat x, GLfloat y, GLfloat z))              \
  X(void, glNormal3d, web_normal3d, (GLdouble x, GLdouble y, GLdouble z))           \
  X(void, glTexCoord2f, web_tex_coord2f, (GLfloat s, GLfloat t))                    \
  X(void, glColor3f, web_color3f, (GLfloat r, GLfloat g, GLfloat b))                \
  X(void, glColor4f, web_color4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))     \
  X(void, glVertex3f, web_vertex3f, (GLfloat x, GLfloat y, GLfloat z))              \
  X(void, glVertex3d, web_vertex3d, (GLdouble x, GLdouble y, GLdouble z))           \
  X(void, glMatrixMode, web_matrix_mode, (GLenum mode))                             \
  X(void, glLoadIdentity, web_load_identity, ())                                    \
  X(void, glPushMatrix, web_push_matrix, ())                                        \
  X(void, glPopMatrix, web_pop_matrix, ())                                          \
  X(void, glTranslatef, web_translatef, (GLfloat x, GLfloat y, GLfloat z))          \
  X(void, glRotatef, web_rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z)) \
  X(void, glScalef, web_scalef, (GLfloat x, GLfloat y, GLfloat z))                  \
  X(void, glOrtho, web_ortho,                                                       \
    (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_z, \
     GLdouble far_z))                                                               \
  X(void, gluPerspective, web_perspective,                                          \
    (GLdouble fovy, GLdouble aspect, GLdouble near_z, GLdouble far_z))              \
  X(void, glEnable, web_enable, (GLenum cap))                                       \
  X(void, glDisable, web_disable, (GLenum cap))                                     \
  X(GLboolean, glIsEnabled, web_is_enabled, (GLenum cap))                           \
  X(void, glPushAttrib, web_push_attrib, (GLbitfield mask))                         \
  X(void, glPopAttrib, web_pop_attrib, ())                                          \
  X(void, glBlendFunc, web_blend_func, (GLenum src, GLenum dst))                    \
  X(void, glBindTexture, web_bind_texture, (GLenum target, GLuint name))            \
  X(void, glTexEnvf, web_tex_envf, (GLenum target, GLenum name, GLfloat value))     \
  X(void, glFogi, web_fogi, (GLenum name, GLint value))                             \
  X(void, glFogf, web_fogf, (GLenum name, GLfloat value))                           \
  X(void, glFogfv, web_fogfv, (GLenum name, const GLfloat* value))                  \
  X(void, glShadeModel, web_shade_model, (GLenum mode))                             \
  X(void, glLightfv, web_lightfv, (GLenum light, GLenum name, const GLfloat* value)) \
  X(void, glMaterialfv, web_materialfv, (GLenum face, GLenum name, const GLfloat* value))

// The calls web_gl.cpp passes on to WebGL, with what WebGL lacks made up.
#define WEB_WEBGL_CALLS(X)                                                              \
  X(GLint, gluBuild2DMipmaps, web_build_2d_mipmaps,                                     \
    (GLenum target, GLint internal_format, GLsizei width, GLsizei height, GLenum format, \
     GLenum type, const void* data))                                                    \
  X(const GLubyte*, gluErrorString, web_error_string, (GLenum code))                    \
  X(void, glTexParameteri, web_tex_parameteri, (GLenum target, GLenum name, GLint value)) \
  X(void, glTexParameterf, web_tex_parameterf, (GLenum target, GLenum name, GLfloat value)) \
  X(void, glTexImage2D, web_tex_image_2d,                                               \
    (GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height,  \
     GLint border, GLenum format, GLenum type, const void* data))                       \
  X(void, glClear, web_clear, (GLbitfield mask))                                        \
  X(void, glViewport, web_viewport, (GLint x, GLint y, GLsizei width, GLsizei height))  \
  X(GLenum, glGetError, web_get_error, ())                                              \
  X(void, glGetFloatv, web_get_floatv, (GLenum name, GLfloat* out))                     \
  X(const GLubyte*, glGetString, web_get_string, (GLenum name))                         \
  X(void, glHint, web_hint, (GLenum target, GLenum mode))
