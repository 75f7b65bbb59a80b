// The box of six textured faces.
#include <cmath>

#include "tools/shapes.h"

float box_size = 2.0f;

namespace {

// Where each face quad's x, y and z (its normal) point in box coordinates,
// as column-major rotations; their transposes undo them exactly.
struct face {
  int texture;  // index into the six names
  GLfloat turn[16];
};

// clang-format off
constexpr face faces[6] = {
    {0, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},     // +z
    {3, {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}},   // -z
    {4, {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1}},    // +y
    {1, {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}},    // -y
    {5, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1}},    // -x
    {2, {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}},    // +x
};
// clang-format on

void transpose(const GLfloat (&m)[16], GLfloat (&out)[16]) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) out[c * 4 + r] = m[r * 4 + c];
}

}  // namespace

void draw_textured_box(float scale, GLuint t1, GLuint t2, GLuint t3, GLuint t4, GLuint t5,
                       GLuint t6) {
  const GLuint names[6] = {t1, t2, t3, t4, t5, t6};
  glEnable(GL_TEXTURE_2D);
  // The box undoes its own scale rather than pushing the matrix, which a
  // zero or non-finite scale cannot survive; such a box is not visible anyway.
  if (scale != 0.0f && std::isfinite(scale) && std::isfinite(1.0f / scale)) {
    const float half = box_size / 2.0f;
    glScalef(scale, scale, scale);
    for (const face& f : faces) {
      GLfloat back[16];
      transpose(f.turn, back);
      glBindTexture(GL_TEXTURE_2D, names[f.texture]);
      glMultMatrixf(f.turn);
      glTranslatef(0.0f, 0.0f, half);
      draw_face_quad();
      glTranslatef(0.0f, 0.0f, -half);
      glMultMatrixf(back);
    }
    glScalef(1.0f / scale, 1.0f / scale, 1.0f / scale);
  }
  glDisable(GL_TEXTURE_2D);
}
