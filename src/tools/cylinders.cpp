// The open cylinder and its placement between two points.
#include <algorithm>
#include <cmath>

#include "tools/shapes.h"

void draw_open_cylinder(double height, double radius, int n) {
  if (n < 1) return;
  const bool had_normalize = glIsEnabled(GL_NORMALIZE);
  // The face normals below are sums of two rim points, not unit vectors.
  glEnable(GL_NORMALIZE);
  const double step = 2.0 * M_PI / n;
  double x0 = radius, y0 = 0.0;
  glBegin(GL_QUADS);
  for (int i = 1; i <= n; ++i) {
    const double x1 = radius * std::cos(i * step);
    const double y1 = radius * std::sin(i * step);
    glNormal3d(x0 + x1, y0 + y1, 0.0);
    glVertex3d(x0, y0, height);
    glVertex3d(x0, y0, 0.0);
    glVertex3d(x1, y1, 0.0);
    glVertex3d(x1, y1, height);
    x0 = x1;
    y0 = y1;
  }
  glEnd();
  if (!had_normalize) glDisable(GL_NORMALIZE);
}

void draw_cylinder_between(double height, double radius, int n, double x1, double y1, double z1,
                           double x2, double y2, double z2) {
  const double dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  // Equal points give a frame of length 0: there is nothing to draw. Nor is
  // there for points that are not finite; their frame would be NaN.
  if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(x1) || !std::isfinite(y1) ||
      !std::isfinite(z1))
    return;
  double m = std::sqrt(dx * dx + dz * dz);
  if (!(z2 > z1)) m = -m;

  GLdouble frame[16];
  if (m != 0.0) {
    // clang-format off
    const double column[16] = {dz * length / m, 0.0, -dx * length / m, 0.0,
                               -dx * dy / m,    m,   -dy * dz / m,     0.0,
                               dx,              dy,  dz,               0.0,
                               x1,              y1,  z1,               1.0};
    // clang-format on
    std::copy(column, column + 16, frame);
  } else {
    // Straight up or down: the general frame divides by zero here. Use the
    // frame it tends to as the points leave the y line towards +z:
    // x along +x, y along -dy in z, z along dy.
    // clang-format off
    const double column[16] = {length, 0.0, 0.0, 0.0,
                               0.0,    0.0, -dy, 0.0,
                               0.0,    dy,  0.0, 0.0,
                               x1,     y1,  z1,  1.0};
    // clang-format on
    std::copy(column, column + 16, frame);
  }
  glPushMatrix();
  glLoadMatrixd(frame);
  draw_open_cylinder(height, radius, n);
  glPopMatrix();
}
