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
