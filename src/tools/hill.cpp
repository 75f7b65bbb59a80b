// The hill: a surface of revolution around y, recorded as a display list.
#include <cmath>

#include "tools/shapes.h"

GLuint make_hill_list() {
  constexpr double R = 20.0;
  constexpr int rings = 6, steps = 36;
  auto height = [&](float r) { return (1.0 + std::cos(M_PI * r / R)) * R / 2.0; };
  auto vertex = [&](float r, double theta) {
    glVertex3d(r * std::cos(theta), height(r), -r * std::sin(theta));
  };

  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE_AND_EXECUTE);
  // Outermost ring first; the last one closes on the axis.
  for (int i = 0; i < rings; ++i) {
    const float inner = static_cast<float>((rings - 1 - i) * R / rings);
    const float outer = static_cast<float>((rings - i) * R / rings);
    glBegin(GL_QUAD_STRIP);
    for (int j = 0; j <= steps; ++j) {
      const double theta = 2.0 * M_PI * j / steps;
      vertex(inner, theta);
      vertex(outer, theta);
    }
    glEnd();
  }
  glEndList();
  return list;
}
