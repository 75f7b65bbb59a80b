// The WebGL half of the web layer: small programs that do OpenGL 1.1's
// texture environments and fog, one buffer that takes each batch, and the
// texture calls with what WebGL lacks (texture 0, GL_CLAMP, mipmaps). The
// real WebGL state is remembered, so a call that would set what is already
// set is never made: the core binds and parameterises the sprite texture
// 1024 times a frame.
#include "web_gl.h"

#include <GLES2/gl2.h>
#include <emscripten.h>

#include <cstdio>
#include <unordered_map>

namespace {

const char* const vertex_source = R"(
attribute vec4 eye;
attribute vec2 tex;
attribute vec4 color;
uniform mat4 projection;
varying vec2 v_tex;
varying vec4 v_color;
varying float v_distance;
void main() {
  gl_Position = projection * eye;
  gl_PointSize = 1.0;
  v_tex = tex;
  v_color = color;
  v_distance = abs(eye.z / eye.w);
}
)";

// One program for each texture environment and fog the layer draws, chosen
// by ENV (0 no texture, 1 GL_MODULATE, 2 GL_DECAL) and FOG (0 off, 1 GL_EXP):
// the software renderer runs a program without branches a quarter faster
// than one that asks uniforms.
const char* const fragment_source = R"(
precision mediump float;
uniform sampler2D picture;
uniform vec4 fog_color;
uniform float fog_density;
varying vec2 v_tex;
varying vec4 v_color;
varying float v_distance;
void main() {
  vec4 c = v_color;
#if ENV != 0
  vec4 t = texture2D(picture, v_tex);
#if ENV == 1
  c = c * t;
#else
  c = vec4(mix(c.rgb, t.rgb, t.a), c.a);
#endif
#endif
#if FOG == 1
  c.rgb = mix(fog_color.rgb, c.rgb, clamp(exp(-fog_density * v_distance), 0.0, 1.0));
#endif
  gl_FragColor = c;
}
)";

enum attribute_slot : GLuint { slot_eye = 0, slot_tex = 1, slot_color = 2 };

struct program_record {
  GLuint id = 0;
  bool checked = false, usable = false;
  GLint projection = -1, fog_color = -1, fog_density = -1;
};

struct texture_record {
  GLint wrap_s = GL_REPEAT, wrap_t = GL_REPEAT;
  GLint min_filter = GL_NEAREST_MIPMAP_LINEAR, mag_filter = GL_LINEAR;
};

program_record programs[3][2];  // [ENV][FOG]
GLuint program_in_use = 0;
GLuint buffer = 0;
unsigned long draw_calls = 0;

// OpenGL's texture 0 is an object of its own; WebGL has none, so 0 stands
// for one made on first use.
GLuint default_texture = 0;
std::unordered_map<GLuint, texture_record> textures;

// What WebGL has set now: -1 (or the impossible 0xFFFFFFFF) until first set.
struct {
  GLuint texture = 0xFFFFFFFFu;
  int blend = -1, depth_test = -1;
  GLenum blend_src = 0, blend_dst = 0;
} now;

GLuint webgl_name(GLuint name) {
  if (name != 0) return name;
  if (default_texture == 0) glGenTextures(1, &default_texture);
  return default_texture;
}

void bind_for_real(GLuint name) {
  const GLuint real = webgl_name(name);
  if (now.texture == real) return;
  glBindTexture(GL_TEXTURE_2D, real);
  now.texture = real;
}

void set_switch(GLenum cap, bool on, int& known) {
  if (known == static_cast<int>(on)) return;
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
  known = on;
}

GLuint compile(GLenum kind, const char* defines, const char* source) {
  const GLuint shader = glCreateShader(kind);
  const char* parts[] = {defines, source};
  glShaderSource(shader, 2, parts, nullptr);
  glCompileShader(shader);
  return shader;
}

void build(program_record& p, int env, int fog) {
  char defines[40];
  snprintf(defines, sizeof defines, "#define ENV %d\n#define FOG %d\n", env, fog);
  p.id = glCreateProgram();
  glAttachShader(p.id, compile(GL_VERTEX_SHADER, "", vertex_source));
  glAttachShader(p.id, compile(GL_FRAGMENT_SHADER, defines, fragment_source));
  glBindAttribLocation(p.id, slot_eye, "eye");
  glBindAttribLocation(p.id, slot_tex, "tex");
  glBindAttribLocation(p.id, slot_color, "color");
  glLinkProgram(p.id);
}

// Asked at the program's first draw, not when it is built: a question about
// a program waits for its compilation, which meanwhile goes on beside the
// loading of the pictures.
bool ready(program_record& p) {
  GLint ok = 0;
  glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
    fprintf(stderr, "The page's shaders would not link: %s\n", log);
    EM_ASM({ Module.unable("WebGL refused the nebula's shaders; the console says why."); });
    return false;
  }
  p.projection = glGetUniformLocation(p.id, "projection");
  p.fog_color = glGetUniformLocation(p.id, "fog_color");
  p.fog_density = glGetUniformLocation(p.id, "fog_density");
  glUseProgram(p.id);
  program_in_use = p.id;
  glUniform1i(glGetUniformLocation(p.id, "picture"), 0);
  return true;
}

program_record* program_for(int env, int fog) {
  program_record& p = programs[env][fog];
  if (p.id == 0) build(p, env, fog);
  if (!p.checked) {
    p.checked = true;
    p.usable = ready(p);
  }
  return p.usable ? &p : nullptr;
}

void draw_batch(const web_draw_state& s, const web_vertex* vertices, int count) {
  const int env = !s.texture_on ? 0 : s.env_mode == GL_MODULATE ? 1 : 2;
  program_record* p = program_for(env, s.fog ? 1 : 0);
  if (!p) return;
  if (program_in_use != p->id) {
    glUseProgram(p->id);
    program_in_use = p->id;
  }
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(web_vertex)), vertices,
               GL_STREAM_DRAW);
  glUniformMatrix4fv(p->projection, 1, GL_FALSE, s.projection);
  if (s.texture_on) bind_for_real(s.texture);
  if (s.fog) {
    glUniform4fv(p->fog_color, 1, s.fog_color);
    glUniform1f(p->fog_density, s.fog_density);
  }
  set_switch(GL_BLEND, s.blend, now.blend);
  if (s.blend && (now.blend_src != s.blend_src || now.blend_dst != s.blend_dst)) {
    glBlendFunc(s.blend_src, s.blend_dst);
    now.blend_src = s.blend_src;
    now.blend_dst = s.blend_dst;
  }
  set_switch(GL_DEPTH_TEST, s.depth_test, now.depth_test);
  glDrawArrays(GL_TRIANGLES, 0, count);
  ++draw_calls;
}

}  // namespace

void web_gl_start() {
  // The scene's two: the title's first frame, then everything in GL_DECAL.
  build(programs[1][0], 1, 0);
  build(programs[2][0], 2, 0);

  // One buffer for every batch, its layout set once.
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  const GLsizei stride = sizeof(web_vertex);
  glVertexAttribPointer(slot_eye, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(web_vertex, eye)));
  glVertexAttribPointer(slot_tex, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(web_vertex, tex)));
  glVertexAttribPointer(slot_color, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(web_vertex, color)));
  for (GLuint slot : {slot_eye, slot_tex, slot_color}) glEnableVertexAttribArray(slot);
  web_set_draw_sink(draw_batch);
}

unsigned long web_gl_draw_calls() { return draw_calls; }

void web_tex_parameteri(GLenum target, GLenum name, GLint value) {
  if ((name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) && value == GL_CLAMP)
    value = GL_CLAMP_TO_EDGE;
  const GLuint real = webgl_name(web_bound_texture());
  texture_record& t = textures[real];
  GLint* known = name == GL_TEXTURE_WRAP_S       ? &t.wrap_s
                 : name == GL_TEXTURE_WRAP_T     ? &t.wrap_t
                 : name == GL_TEXTURE_MIN_FILTER ? &t.min_filter
                 : name == GL_TEXTURE_MAG_FILTER ? &t.mag_filter
                                                 : nullptr;
  if (known && *known == value) return;
  // The batch so far was gathered with the old value.
  web_flush();
  bind_for_real(web_bound_texture());
  glTexParameteri(target, name, value);
  if (known) *known = value;
}

void web_tex_parameterf(GLenum target, GLenum name, GLfloat value) {
  if (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T || name == GL_TEXTURE_MIN_FILTER ||
      name == GL_TEXTURE_MAG_FILTER) {
    web_tex_parameteri(target, name, static_cast<GLint>(value));
    return;
  }
  web_flush();
  bind_for_real(web_bound_texture());
  glTexParameterf(target, name, value);
}

void web_tex_image_2d(GLenum target, GLint level, GLint internal_format, GLsizei width,
                      GLsizei height, GLint border, GLenum format, GLenum type, const void* data) {
  web_flush();
  bind_for_real(web_bound_texture());
  // WebGL wants the internal format to be the format itself.
  glTexImage2D(target, level, static_cast<GLint>(format), width, height, border, format, type,
               data);
  (void)internal_format;
}

GLint web_build_2d_mipmaps(GLenum target, GLint internal_format, GLsizei width, GLsizei height,
                           GLenum format, GLenum type, const void* data) {
  while (glGetError() != GL_NO_ERROR) {
  }
  web_tex_image_2d(target, 0, internal_format, width, height, 0, format, type, data);
  glGenerateMipmap(target);
  const GLenum error = glGetError();
  return error == GL_NO_ERROR ? 0 : static_cast<GLint>(error);
}

const GLubyte* web_error_string(GLenum code) {
  const char* text;
  switch (code) {
    case GL_NO_ERROR: text = "no error"; break;
    case GL_INVALID_ENUM: text = "invalid enumerant"; break;
    case GL_INVALID_VALUE: text = "invalid value"; break;
    case GL_INVALID_OPERATION: text = "invalid operation"; break;
    case 0x0503: text = "stack overflow"; break;
    case 0x0504: text = "stack underflow"; break;
    case GL_OUT_OF_MEMORY: text = "out of memory"; break;
    default: return nullptr;
  }
  return reinterpret_cast<const GLubyte*>(text);
}

void web_clear(GLbitfield mask) {
  web_flush();
  glClear(mask);
}

void web_viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  web_flush();
  glViewport(x, y, width, height);
}

GLenum web_get_error() {
  const GLenum own = web_take_layer_error();
  return own != GL_NO_ERROR ? own : glGetError();
}

void web_get_floatv(GLenum name, GLfloat* out) {
  if (!web_get_matrix(name, out)) glGetFloatv(name, out);
}

const GLubyte* web_get_string(GLenum name) {
  if (name == GL_EXTENSIONS) return reinterpret_cast<const GLubyte*>("");
  return glGetString(name);
}

void web_hint(GLenum target, GLenum mode) {
  if (target == GL_GENERATE_MIPMAP_HINT) glHint(target, mode);
}
