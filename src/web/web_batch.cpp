#include "web_batch.h"

#include <cmath>
#include <cstring>
#include <vector>

#ifndef GL_STACK_OVERFLOW
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504
#endif

bool operator==(const web_draw_state& a, const web_draw_state& b) {
  return a.texture_on == b.texture_on &&
         (!a.texture_on || (a.texture == b.texture && a.env_mode == b.env_mode)) &&
         a.blend == b.blend && (!a.blend || (a.blend_src == b.blend_src && a.blend_dst == b.blend_dst)) &&
         a.depth_test == b.depth_test && a.fog == b.fog &&
         (!a.fog || (a.fog_density == b.fog_density &&
                     std::memcmp(a.fog_color, b.fog_color, sizeof a.fog_color) == 0)) &&
         std::memcmp(a.projection, b.projection, sizeof a.projection) == 0;
}

namespace {

struct matrix {
  float m[16];  // column-major, as OpenGL keeps it
};

const matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// a = a * b: the new transform applies to vertices before the old one.
void multiply(matrix& a, const matrix& b) {
  matrix r;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
      r.m[c * 4 + row] = sum;
    }
  a = r;
}

// OpenGL's minimum depths; the core nests a few levels at most.
constexpr int modelview_depth = 32;
constexpr int projection_depth = 4;

// The switches glEnable knows here, in one word for glPushAttrib.
enum cap_bit : unsigned {
  cap_texture_2d = 1u << 0,
  cap_blend = 1u << 1,
  cap_depth_test = 1u << 2,
  cap_fog = 1u << 3,
  cap_lighting = 1u << 4,
  cap_normalize = 1u << 5,
  cap_light0 = 1u << 6,
};

unsigned cap_of(GLenum cap) {
  switch (cap) {
    case GL_TEXTURE_2D: return cap_texture_2d;
    case GL_BLEND: return cap_blend;
    case GL_DEPTH_TEST: return cap_depth_test;
    case GL_FOG: return cap_fog;
    case GL_LIGHTING: return cap_lighting;
    case GL_NORMALIZE: return cap_normalize;
    case GL_LIGHT0: return cap_light0;
    default: return 0;
  }
}

struct attrib_level {
  GLbitfield mask;
  unsigned caps;
  float color[4];
};

struct layer_state {
  matrix modelview[modelview_depth];
  int modelview_top = 0;
  matrix projection[projection_depth];
  int projection_top = 0;
  GLenum matrix_mode = GL_MODELVIEW;

  unsigned caps = 0;  // all off, as in a fresh context (GL_DITHER aside)
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float tex_coord[2] = {0.0f, 0.0f};
  GLuint texture = 0;
  GLenum env_mode = GL_MODULATE;
  GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
  float fog_density = 1.0f;
  float fog_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};

  attrib_level attrib_stack[16];
  int attrib_depth = 0;

  // The block between glBegin and glEnd, its vertices already in eye space.
  bool in_block = false;
  GLenum block_mode = 0;
  std::vector<web_vertex> block;

  // The batch: triangles under one state.
  web_draw_state batch_state;
  std::vector<web_vertex> batch;

  GLenum error = GL_NO_ERROR;

  layer_state() {
    modelview[0] = identity;
    projection[0] = identity;
  }
};

layer_state* gl = new layer_state;  // never freed: the page's state lives as long as the page
web_draw_sink draw_sink = nullptr;

void raise(GLenum error) {
  if (gl->error == GL_NO_ERROR) gl->error = error;
}

matrix& current_matrix() {
  return gl->matrix_mode == GL_PROJECTION ? gl->projection[gl->projection_top]
                                          : gl->modelview[gl->modelview_top];
}

void apply(const matrix& m) { multiply(current_matrix(), m); }

void mult_matrixd(const GLdouble* m) {
  matrix f;
  for (int i = 0; i < 16; ++i) f.m[i] = static_cast<float>(m[i]);
  apply(f);
}

web_draw_state current_draw_state() {
  web_draw_state s;
  s.texture_on = (gl->caps & cap_texture_2d) != 0;
  s.texture = gl->texture;
  s.env_mode = gl->env_mode;
  s.blend = (gl->caps & cap_blend) != 0;
  s.blend_src = gl->blend_src;
  s.blend_dst = gl->blend_dst;
  s.depth_test = (gl->caps & cap_depth_test) != 0;
  s.fog = (gl->caps & cap_fog) != 0;
  s.fog_density = gl->fog_density;
  std::memcpy(s.fog_color, gl->fog_color, sizeof s.fog_color);
  std::memcpy(s.projection, gl->projection[gl->projection_top].m, sizeof s.projection);
  return s;
}

// The block's vertices as separate triangles, in the order OpenGL itself
// splits them (as its feedback mode shows).
void assemble_block() {
  const std::vector<web_vertex>& v = gl->block;
  std::vector<web_vertex>& out = gl->batch;
  const int n = static_cast<int>(v.size());
  auto put = [&](int a, int b, int c) {
    out.push_back(v[a]);
    out.push_back(v[b]);
    out.push_back(v[c]);
  };
  switch (gl->block_mode) {
    case GL_TRIANGLES:
      for (int i = 0; i + 2 < n; i += 3) put(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_STRIP:  // every other triangle turned back to keep the winding
      for (int i = 2; i < n; ++i) (i % 2 == 0) ? put(i - 2, i - 1, i) : put(i - 1, i - 2, i);
      break;
    case GL_QUADS:
      for (int i = 0; i + 3 < n; i += 4) {
        put(i, i + 1, i + 3);
        put(i + 1, i + 2, i + 3);
      }
      break;
  }
}

void set_cap(GLenum cap, bool on) {
  const unsigned bit = cap_of(cap);
  if (bit == 0) {
    raise(GL_INVALID_ENUM);
    return;
  }
  if (on)
    gl->caps |= bit;
  else
    gl->caps &= ~bit;
}

}  // namespace

void web_set_draw_sink(web_draw_sink sink) { draw_sink = sink; }

void web_flush() {
  if (gl->batch.empty()) return;
  if (draw_sink) draw_sink(gl->batch_state, gl->batch.data(), static_cast<int>(gl->batch.size()));
  gl->batch.clear();
}

void web_batch_reset() {
  delete gl;
  gl = new layer_state;
}

GLuint web_bound_texture() { return gl->texture; }

GLenum web_take_layer_error() {
  const GLenum error = gl->error;
  gl->error = GL_NO_ERROR;
  return error;
}

void web_begin(GLenum mode) {
  if (gl->in_block || (mode != GL_TRIANGLES && mode != GL_TRIANGLE_STRIP && mode != GL_QUADS)) {
    raise(gl->in_block ? GL_INVALID_OPERATION : GL_INVALID_ENUM);
    return;
  }
  // The state cannot change inside a block, so the batch is decided here.
  const web_draw_state state = current_draw_state();
  if (!gl->batch.empty() && state != gl->batch_state) web_flush();
  gl->batch_state = state;
  gl->in_block = true;
  gl->block_mode = mode;
  gl->block.clear();
}

void web_end() {
  if (!gl->in_block) {
    raise(GL_INVALID_OPERATION);
    return;
  }
  gl->in_block = false;
  assemble_block();
}

void web_normal3f(GLfloat, GLfloat, GLfloat) {}
void web_normal3d(GLdouble, GLdouble, GLdouble) {}

void web_tex_coord2f(GLfloat s, GLfloat t) {
  gl->tex_coord[0] = s;
  gl->tex_coord[1] = t;
}

void web_color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  gl->color[0] = r;
  gl->color[1] = g;
  gl->color[2] = b;
  gl->color[3] = a;
}

void web_color3f(GLfloat r, GLfloat g, GLfloat b) { web_color4f(r, g, b, 1.0f); }

void web_vertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (!gl->in_block) return;  // OpenGL leaves a vertex outside a block undefined
  const float* m = gl->modelview[gl->modelview_top].m;
  web_vertex v;
  for (int row = 0; row < 4; ++row)
    v.eye[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
  v.tex[0] = gl->tex_coord[0];
  v.tex[1] = gl->tex_coord[1];
  std::memcpy(v.color, gl->color, sizeof v.color);
  gl->block.push_back(v);
}

void web_vertex3d(GLdouble x, GLdouble y, GLdouble z) {
  web_vertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void web_matrix_mode(GLenum mode) {
  if (mode == GL_MODELVIEW || mode == GL_PROJECTION)
    gl->matrix_mode = mode;
  else
    raise(GL_INVALID_ENUM);
}

void web_load_identity() { current_matrix() = identity; }

void web_push_matrix() {
  const bool projection = gl->matrix_mode == GL_PROJECTION;
  int& top = projection ? gl->projection_top : gl->modelview_top;
  matrix* stack = projection ? gl->projection : gl->modelview;
  if (top + 1 == (projection ? projection_depth : modelview_depth)) {
    raise(GL_STACK_OVERFLOW);
    return;
  }
  stack[top + 1] = stack[top];
  ++top;
}

void web_pop_matrix() {
  int& top = gl->matrix_mode == GL_PROJECTION ? gl->projection_top : gl->modelview_top;
  if (top == 0) {
    raise(GL_STACK_UNDERFLOW);
    return;
  }
  --top;
}

void web_translatef(GLfloat x, GLfloat y, GLfloat z) {
  matrix t = identity;
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  apply(t);
}

void web_scalef(GLfloat x, GLfloat y, GLfloat z) {
  matrix s = identity;
  s.m[0] = x;
  s.m[5] = y;
  s.m[10] = z;
  apply(s);
}

void web_rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return;
  x /= length;
  y /= length;
  z /= length;
  const float radians = angle * 3.14159265358979323846f / 180.0f;
  const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
  const matrix r = {{x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                     x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                     x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0,
                     0, 0, 0, 1}};
  apply(r);
}

void web_ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (l == r || b == t || n == f) {
    raise(GL_INVALID_VALUE);
    return;
  }
  const GLdouble o[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
  mult_matrixd(o);
}

void web_perspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  const GLdouble radians = fovy / 2 * 3.14159265358979323846 / 180;
  const GLdouble sine = std::sin(radians);
  if (f == n || sine == 0 || aspect == 0) return;  // as GLU: nothing to do
  const GLdouble cotangent = std::cos(radians) / sine;
  const GLdouble p[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0,
                          0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * n * f / (f - n), 0};
  mult_matrixd(p);
}

bool web_get_matrix(GLenum name, GLfloat* out) {
  if (name == GL_MODELVIEW_MATRIX)
    std::memcpy(out, gl->modelview[gl->modelview_top].m, sizeof(matrix));
  else if (name == GL_PROJECTION_MATRIX)
    std::memcpy(out, gl->projection[gl->projection_top].m, sizeof(matrix));
  else
    return false;
  return true;
}

void web_enable(GLenum cap) { set_cap(cap, true); }
void web_disable(GLenum cap) { set_cap(cap, false); }

GLboolean web_is_enabled(GLenum cap) {
  const unsigned bit = cap_of(cap);
  if (bit == 0) raise(GL_INVALID_ENUM);
  return (gl->caps & bit) ? GL_TRUE : GL_FALSE;
}

void web_push_attrib(GLbitfield mask) {
  if (gl->attrib_depth == static_cast<int>(sizeof gl->attrib_stack / sizeof gl->attrib_stack[0])) {
    raise(GL_STACK_OVERFLOW);
    return;
  }
  attrib_level& level = gl->attrib_stack[gl->attrib_depth++];
  level.mask = mask;
  level.caps = gl->caps;
  std::memcpy(level.color, gl->color, sizeof level.color);
}

void web_pop_attrib() {
  if (gl->attrib_depth == 0) {
    raise(GL_STACK_UNDERFLOW);
    return;
  }
  const attrib_level& level = gl->attrib_stack[--gl->attrib_depth];
  if (level.mask & GL_ENABLE_BIT) gl->caps = level.caps;
  if (level.mask & GL_CURRENT_BIT) std::memcpy(gl->color, level.color, sizeof gl->color);
}

void web_blend_func(GLenum src, GLenum dst) {
  gl->blend_src = src;
  gl->blend_dst = dst;
}

void web_bind_texture(GLenum target, GLuint name) {
  if (target != GL_TEXTURE_2D) {
    raise(GL_INVALID_ENUM);
    return;
  }
  gl->texture = name;
}

void web_tex_envf(GLenum target, GLenum name, GLfloat value) {
  const GLenum mode = static_cast<GLenum>(value);
  if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE ||
      (mode != GL_MODULATE && mode != GL_DECAL))
    raise(GL_INVALID_ENUM);
  else
    gl->env_mode = mode;
}

void web_fogi(GLenum name, GLint value) {
  if (name != GL_FOG_MODE)
    web_fogf(name, static_cast<GLfloat>(value));
  else if (value != GL_EXP)
    raise(GL_INVALID_ENUM);
}

void web_fogf(GLenum name, GLfloat value) {
  switch (name) {
    case GL_FOG_DENSITY:
      if (value < 0.0f)
        raise(GL_INVALID_VALUE);
      else
        gl->fog_density = value;
      break;
    case GL_FOG_START:  // kept by OpenGL for GL_LINEAR, which the layer lacks
    case GL_FOG_END: break;
    case GL_FOG_MODE: web_fogi(name, static_cast<GLint>(value)); break;
    default: raise(GL_INVALID_ENUM);
  }
}

void web_fogfv(GLenum name, const GLfloat* value) {
  if (name == GL_FOG_COLOR)
    std::memcpy(gl->fog_color, value, sizeof gl->fog_color);
  else
    web_fogf(name, value[0]);
}

void web_shade_model(GLenum) {}
void web_lightfv(GLenum, GLenum, const GLfloat*) {}
void web_materialfv(GLenum, GLenum, const GLfloat*) {}
