// The simple shapes: capped cylinder, wire box, teapot, hue ring, triangle and
// the two textured squares.
#include <GL/freeglut.h>

#include <cmath>

#include "tools/shapes.h"

void draw_capped_cylinder(int n) {
  if (n < 1) return;
  const float step = static_cast<float>(2.0 * M_PI / n);
  auto cap = [&](float z) {
    glColor3f(1.0f, 0.5f, 0.5f);
    glBegin(GL_POLYGON);
    for (int i = 0; i < n; ++i) {
      const float a = i * step;
      glTexCoord2f(std::cos(a), std::sin(a));
      glVertex3f(std::cos(a), std::sin(a), z);
    }
    glEnd();
  };
  cap(-1.0f);
  glColor3f(0.2f, 0.2f, 0.5f);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i <= n; ++i) {
    const float a = i * step;
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(std::cos(a), std::sin(a), -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(std::cos(a), std::sin(a), 1.0f);
  }
  glEnd();
  cap(1.0f);
}

void draw_wire_box(float sx, float sy, float sz) {
  glPushMatrix();
  glTranslatef(0.0f, -sy / 2.0f, 0.0f);
  glScalef(sx, sy, sz);
  glutWireCube(1.0);
  glPopMatrix();
}

void draw_env_teapot() {
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glutSolidTeapot(1.0);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_GEN_S);
}

void draw_hue_ring(int n) {
  if (n < 1) return;
  constexpr double inner = 1.6, outer = 2.0, half = 0.06;
  // One strip: for every step its colour, an optional normal, then two vertices.
  auto strip = [&](auto vertices) {
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= n; ++i) {
      const double t = 2.0 * M_PI * i / n;
      glColor3d(1.0 + std::cos(t), 1.0 + std::cos(t + 2.0 * M_PI / 3.0),
                1.0 + std::cos(t + 4.0 * M_PI / 3.0));
      vertices(std::cos(t), std::sin(t));
    }
    glEnd();
  };
  glNormal3d(0.0, 1.0, 0.0);
  strip([&](double c, double s) {
    glVertex3d(inner * c, half, inner * s);
    glVertex3d(outer * c, half, outer * s);
  });
  glNormal3d(0.0, -1.0, 0.0);
  strip([&](double c, double s) {
    glVertex3d(inner * c, -half, inner * s);
    glVertex3d(outer * c, -half, outer * s);
  });
  strip([&](double c, double s) {
    glNormal3d(c, 0.0, s);
    glVertex3d(outer * c, half, outer * s);
    glVertex3d(outer * c, -half, outer * s);
  });
  strip([&](double c, double s) {
    glNormal3d(-c, 0.0, -s);
    glVertex3d(inner * c, half, inner * s);
    glVertex3d(inner * c, -half, inner * s);
  });
}

void draw_triangle_outline() {
  glBegin(GL_LINE_LOOP);
  glVertex3f(0.0f, 25.0f, 0.0f);
  glVertex3f(25.0f, -25.0f, 0.0f);
  glVertex3f(-25.0f, -25.0f, 0.0f);
  glEnd();
}

namespace {

// The square -1..1 in z = 0 facing +z, with the texture coordinates of its
// corners (-1,-1), (1,-1), (1,1), (-1,1).
void unit_square(const float (&st)[4][2]) {
  static const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  glNormal3f(0.0f, 0.0f, 1.0f);
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(st[i][0], st[i][1]);
    glVertex3f(corner[i][0], corner[i][1], 0.0f);
  }
  glEnd();
}

}  // namespace

void draw_tiled_quad() { unit_square({{0, 2}, {2, 2}, {2, 0}, {0, 0}}); }

void draw_face_quad() { unit_square({{1, 1}, {0, 1}, {0, 0}, {1, 0}}); }
