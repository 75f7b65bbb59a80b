// The web layer: what the core asks of OpenGL 1.1 and GLU that emscripten's
// fixed-function emulation over WebGL does not do by itself.
#define ORVANE_WEB_GL_LAYER
#include "web_gl.h"

// WebGL's own mipmap builder; the desktop headers name it only past 1.1.
extern "C" void glGenerateMipmap(GLenum target);

namespace {

// The object that stands for OpenGL's texture 0, made on first use.
GLuint default_texture = 0;

// The current attributes, as OpenGL keeps them between vertices and blocks.
GLfloat current_normal[3] = {0.0f, 0.0f, 1.0f};
GLfloat current_tex_coord[2] = {0.0f, 0.0f};
GLfloat current_color[4] = {1.0f, 1.0f, 1.0f, 1.0f};

// Inside glBegin/glEnd: which attributes each vertex of the block carries.
// The emulation lays a block's vertices out from its first one, so every
// vertex gives the same attributes in the same order.
bool in_block = false;
bool block_normals = false;
bool block_tex_coords = false;
bool block_colors = false;

bool texture_2d_on = false;

// The switches glPushAttrib(GL_ENABLE_BIT) saves, and one level of stack:
// the core pushes once around its frame-rate label and never nests.
const GLenum saved_caps[] = {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_FOG, GL_BLEND};
constexpr int saved_cap_count = sizeof saved_caps / sizeof saved_caps[0];
struct attrib_level {
  GLbitfield mask = 0;
  GLboolean caps[saved_cap_count] = {};
  GLfloat color[4] = {};
};
attrib_level attrib_stack[4];
int attrib_depth = 0;

void set_cap(GLenum cap, GLboolean on) {
  if (on)
    web_enable(cap);
  else
    web_disable(cap);
}

}  // namespace

GLint web_build_2d_mipmaps(GLenum target, GLint internal_format, GLsizei width, GLsizei height,
                           GLenum format, GLenum type, const void* data) {
  while (glGetError() != GL_NO_ERROR) {
  }
  glTexImage2D(target, 0, internal_format, width, height, 0, format, type, data);
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
    case GL_OUT_OF_MEMORY: text = "out of memory"; break;
    default: return nullptr;
  }
  return reinterpret_cast<const GLubyte*>(text);
}

void web_bind_texture(GLenum target, GLuint name) {
  if (name == 0) {
    if (default_texture == 0) glGenTextures(1, &default_texture);
    name = default_texture;
  }
  glBindTexture(target, name);
}

void web_tex_parameteri(GLenum target, GLenum name, GLint value) {
  if ((name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) && value == GL_CLAMP)
    value = GL_CLAMP_TO_EDGE;
  glTexParameteri(target, name, value);
}

void web_begin(GLenum mode) {
  in_block = true;
  block_normals = glIsEnabled(GL_LIGHTING) != 0;
  block_tex_coords = texture_2d_on;
  block_colors = false;
  glBegin(mode);
}

void web_end() {
  glEnd();
  in_block = false;
}

void web_normal3f(GLfloat x, GLfloat y, GLfloat z) {
  current_normal[0] = x;
  current_normal[1] = y;
  current_normal[2] = z;
}

void web_normal3d(GLdouble x, GLdouble y, GLdouble z) {
  web_normal3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void web_tex_coord2f(GLfloat s, GLfloat t) {
  current_tex_coord[0] = s;
  current_tex_coord[1] = t;
}

void web_color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  current_color[0] = r;
  current_color[1] = g;
  current_color[2] = b;
  current_color[3] = a;
  // Outside a block the emulation keeps the colour itself; inside, a colour
  // from then on goes with each vertex. A block that changes colour after
  // its first vertex is beyond the emulation's layout and left as it is.
  if (in_block)
    block_colors = true;
  else
    glColor4f(r, g, b, a);
}

void web_color3f(GLfloat r, GLfloat g, GLfloat b) { web_color4f(r, g, b, 1.0f); }

void web_vertex3f(GLfloat x, GLfloat y, GLfloat z) {
  if (block_normals) glNormal3f(current_normal[0], current_normal[1], current_normal[2]);
  if (block_tex_coords) glTexCoord2f(current_tex_coord[0], current_tex_coord[1]);
  if (block_colors)
    glColor4f(current_color[0], current_color[1], current_color[2], current_color[3]);
  glVertex3f(x, y, z);
}

void web_vertex2f(GLfloat x, GLfloat y) { web_vertex3f(x, y, 0.0f); }

void web_vertex3d(GLdouble x, GLdouble y, GLdouble z) {
  web_vertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void web_enable(GLenum cap) {
  if (cap == GL_TEXTURE_2D) texture_2d_on = true;
  glEnable(cap);
}

void web_disable(GLenum cap) {
  if (cap == GL_TEXTURE_2D) texture_2d_on = false;
  glDisable(cap);
}

GLboolean web_is_enabled(GLenum cap) {
  if (cap == GL_TEXTURE_2D) return texture_2d_on ? GL_TRUE : GL_FALSE;
  return glIsEnabled(cap);
}

void web_push_attrib(GLbitfield mask) {
  if (attrib_depth == sizeof attrib_stack / sizeof attrib_stack[0]) return;
  attrib_level& level = attrib_stack[attrib_depth++];
  level.mask = mask;
  for (int i = 0; i < saved_cap_count; ++i) level.caps[i] = web_is_enabled(saved_caps[i]);
  for (int i = 0; i < 4; ++i) level.color[i] = current_color[i];
}

void web_pop_attrib() {
  if (attrib_depth == 0) return;
  const attrib_level& level = attrib_stack[--attrib_depth];
  if (level.mask & GL_ENABLE_BIT)
    for (int i = 0; i < saved_cap_count; ++i) set_cap(saved_caps[i], level.caps[i]);
  if (level.mask & GL_CURRENT_BIT)
    web_color4f(level.color[0], level.color[1], level.color[2], level.color[3]);
}

void web_hint(GLenum target, GLenum mode) {
  if (target == GL_GENERATE_MIPMAP_HINT) glHint(target, mode);
}

void web_tex_envf(GLenum target, GLenum name, GLfloat value) {
  if (name == GL_TEXTURE_ENV_MODE)
    glTexEnvi(target, name, static_cast<GLint>(value));
  else
    glTexEnvf(target, name, value);
}
