// The fixed-function half of the web layer: OpenGL 1.1's current state,
// matrix stacks and glBegin/glEnd, gathered into batches. Every vertex is
// taken to eye space on the processor as it comes, so the per-sprite matrices
// never split a batch; a batch ends only where a state a draw depends on
// changes (texture, its environment, blending, depth test, fog, projection,
// kind of primitive). What ends a batch is handed to the sink: WebGL in the
// page (web_gl.cpp), a recorder in the tests. Plain C++ with no WebGL call,
// so it builds and is tested natively too.
#pragma once

#include <GL/gl.h>

struct web_vertex {
  float eye[4];  // position in eye space (the modelview already applied)
  float tex[2];
  float color[4];
};

struct web_draw_state {
  GLenum primitive = GL_TRIANGLES;  // GL_TRIANGLES, GL_LINES or GL_POINTS
  bool texture_on = false;
  GLuint texture = 0;  // the name the core bound (0 is OpenGL's default texture)
  GLenum env_mode = GL_MODULATE;
  bool blend = false;
  GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
  bool depth_test = false;
  bool fog = false;
  GLenum fog_mode = GL_EXP;
  float fog_density = 1.0f, fog_start = 0.0f, fog_end = 1.0f;
  float fog_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float projection[16] = {};
};
bool operator==(const web_draw_state& a, const web_draw_state& b);
inline bool operator!=(const web_draw_state& a, const web_draw_state& b) { return !(a == b); }

// Receives each finished batch: `count` vertices of `state.primitive`.
using web_draw_sink = void (*)(const web_draw_state& state, const web_vertex* vertices, int count);
void web_set_draw_sink(web_draw_sink sink);
// Hands the batch gathered so far to the sink. Called before anything that
// reads or changes what the batch draws into or with, and at the end of a frame.
void web_flush();
// Back to OpenGL's initial state (a fresh context), for tests.
void web_batch_reset();
// The texture name the core has bound, as it named it.
GLuint web_bound_texture();
// The oldest error the layer itself raised (stack overflow, a mode it does
// not know), or GL_NO_ERROR; clears it, as glGetError does.
GLenum web_take_layer_error();

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

void web_matrix_mode(GLenum mode);
void web_load_identity();
void web_push_matrix();
void web_pop_matrix();
void web_translatef(GLfloat x, GLfloat y, GLfloat z);
void web_rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void web_scalef(GLfloat x, GLfloat y, GLfloat z);
void web_mult_matrixd(const GLdouble* m);
void web_ortho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_z,
               GLdouble far_z);
void web_perspective(GLdouble fovy, GLdouble aspect, GLdouble near_z, GLdouble far_z);
// GL_MODELVIEW_MATRIX and GL_PROJECTION_MATRIX; anything else is the sink's.
bool web_get_matrix(GLenum name, GLfloat* out);

void web_enable(GLenum cap);
void web_disable(GLenum cap);
GLboolean web_is_enabled(GLenum cap);
void web_push_attrib(GLbitfield mask);
void web_pop_attrib();
void web_blend_func(GLenum src, GLenum dst);
void web_bind_texture(GLenum target, GLuint name);
void web_tex_envi(GLenum target, GLenum name, GLint value);
void web_tex_envf(GLenum target, GLenum name, GLfloat value);
void web_fogi(GLenum name, GLint value);
void web_fogf(GLenum name, GLfloat value);
void web_fogfv(GLenum name, const GLfloat* value);
// Smooth shading is the only kind the page draws; lights and materials are
// kept by nobody: the scene lights only the developer's axes, which the page
// never shows.
void web_shade_model(GLenum mode);
void web_lightfv(GLenum light, GLenum name, const GLfloat* value);
void web_materialfv(GLenum face, GLenum name, const GLfloat* value);
