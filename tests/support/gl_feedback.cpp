#include "gl_feedback.h"

std::vector<fb_primitive> capture_feedback(const std::function<void()>& draw, double span) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLint mode;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-span, span, -span, span, -span, span);
  glMatrixMode(mode);

  std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  GLint count = glRenderMode(GL_RENDER);

  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(mode);

  auto vertex_at = [&](const GLfloat* f) {
    fb_vertex v;
    v.x = static_cast<float>(((f[0] - viewport[0]) / viewport[2] * 2.0 - 1.0) * span);
    v.y = static_cast<float>(((f[1] - viewport[1]) / viewport[3] * 2.0 - 1.0) * span);
    v.z = static_cast<float>(-(f[2] * 2.0 - 1.0) * span);
    v.r = f[3];
    v.g = f[4];
    v.b = f[5];
    v.a = f[6];
    v.s = f[7];
    v.t = f[8];
    return v;
  };
  constexpr int vertex_floats = 11;  // x y z, r g b a, s t r q

  std::vector<fb_primitive> prims;
  for (GLint i = 0; i < count;) {
    fb_primitive p;
    p.token = static_cast<GLenum>(buffer[i++]);
    int vertices = 0;
    switch (p.token) {
      case GL_POLYGON_TOKEN:
        vertices = static_cast<int>(buffer[i++]);
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        vertices = 2;
        break;
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        vertices = 1;
        break;
      case GL_PASS_THROUGH_TOKEN:
        ++i;
        break;
      default:
        return prims;  // unknown token: stop rather than misread the rest
    }
    for (int k = 0; k < vertices; ++k, i += vertex_floats) p.v.push_back(vertex_at(&buffer[i]));
    prims.push_back(p);
  }
  return prims;
}

std::vector<fb_vertex> all_vertices(const std::vector<fb_primitive>& prims) {
  std::vector<fb_vertex> out;
  for (const auto& p : prims) out.insert(out.end(), p.v.begin(), p.v.end());
  return out;
}

#include <cmath>

namespace {

std::vector<fb_primitive> lit_pass(const std::function<void()>& draw, double span, float sign) {
  const GLfloat none[] = {0, 0, 0, 1};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();  // light directions in eye space
  for (int i = 0; i < 3; ++i) {
    GLfloat dir[4] = {0, 0, 0, 0}, colour[4] = {0, 0, 0, 1};
    dir[i] = sign;
    colour[i] = 1;
    glEnable(GL_LIGHT0 + i);
    glLightfv(GL_LIGHT0 + i, GL_POSITION, dir);
    glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT0 + i, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0 + i, GL_SPECULAR, none);
  }
  glPopMatrix();
  return capture_feedback(draw, span);
}

}  // namespace

std::vector<fb_primitive> capture_normals(const std::function<void()>& draw, double span) {
  glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT);
  const GLfloat none[] = {0, 0, 0, 1}, white[] = {1, 1, 1, 1};
  glEnable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  for (int i = 3; i < 8; ++i) glDisable(GL_LIGHT0 + i);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  std::vector<fb_primitive> plus = lit_pass(draw, span, 1.0f);
  std::vector<fb_primitive> minus = lit_pass(draw, span, -1.0f);
  glPopAttrib();
  if (plus.size() != minus.size()) return {};
  for (size_t i = 0; i < plus.size(); ++i) {
    if (plus[i].v.size() != minus[i].v.size()) return {};
    for (size_t k = 0; k < plus[i].v.size(); ++k) {
      fb_vertex& v = plus[i].v[k];
      const fb_vertex& m = minus[i].v[k];
      v.r -= m.r;
      v.g -= m.g;
      v.b -= m.b;
    }
  }
  return plus;
}

void winding_normal(const fb_primitive& p, float out[3]) {
  out[0] = out[1] = out[2] = 0.0f;
  if (p.v.size() < 3) return;
  const fb_vertex &a = p.v[0], &b = p.v[1], &c = p.v[2];
  const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const double n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len == 0.0) return;
  for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(n[i] / len);
}
