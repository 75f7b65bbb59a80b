// The fixed-function half of the web layer: OpenGL 1.1's current state,
// matrix stacks and glBegin/glEnd, gathered into batches. Every vertex is
// taken to eye space on the processor as it comes, so the per-sprite matrices
// never split a batch; a batch ends only where a state a draw depends on
// changes (texture, its environment, blending, depth test, fog, projection).
// What ends a batch is handed to the sink: WebGL in the page (web_gl.cpp), a
// recorder in the tests. Plain C++ with no WebGL call, so it builds and is
// tested natively too, against OpenGL itself.
//
// It does what the core asks and no more: triangles, strips and quads,
// GL_MODULATE and GL_DECAL, GL_EXP fog. Anything else raises GL_INVALID_ENUM,
// as OpenGL does for what it lacks.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include "web_gl_calls.h"

struct web_vertex {
  float eye[4];  // position in eye space (the modelview already applied)
  float tex[2];
  float color[4];
};

struct web_draw_state {
  bool texture_on = false;
  GLuint texture = 0;  // the name the core bound (0 is OpenGL's default texture)
  GLenum env_mode = GL_MODULATE;
  bool blend = false;
  GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
  bool depth_test = false;
  bool fog = false;
  float fog_density = 1.0f;  // of GL_EXP, the one fog the layer draws
  float fog_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float projection[16] = {};
};
bool operator==(const web_draw_state& a, const web_draw_state& b);
inline bool operator!=(const web_draw_state& a, const web_draw_state& b) { return !(a == b); }

// Receives each finished batch: `count` vertices, three to a triangle.
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

// GL_MODELVIEW_MATRIX and GL_PROJECTION_MATRIX; anything else is the sink's.
bool web_get_matrix(GLenum name, GLfloat* out);

// Lights and materials are kept by nobody: the scene lights only the
// developer's axes, which the page never shows.
#define X(ret, gl_name, web_name, params) ret web_name params;
WEB_BATCH_CALLS(X)
#undef X
