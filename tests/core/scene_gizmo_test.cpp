// The axis gizmo read back through feedback: each arrow's surfaces, normals,
// materials and where its rotation points it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "gl_feedback.h"
#include "gl_test_env.h"
#include "main.h"

namespace {

class Gizmo : public ::testing::Test {
 protected:
  void SetUp() override {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
  }
};

float length3(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

// An arrow of length 2 with a fat shaft (0.5) and head (1 wide, 0.5 long) in
// 8 segments, so each surface is easy to tell apart.
constexpr double L = 2.0, r = 0.5, R = 1.0, h = 0.5;

enum class part { shaft, cone, base_cap, underside };

part part_of(const fb_primitive& p) {
  bool tip = false, origin = false, all_at_head = true;
  for (const auto& v : p.v) {
    tip |= length3(v.x, v.y, v.z - static_cast<float>(L)) < 1e-3f;
    origin |= length3(v.x, v.y, v.z) < 1e-3f;
    all_at_head &= std::fabs(v.z - static_cast<float>(L - h)) < 1e-3f;
  }
  if (tip) return part::cone;
  if (origin) return part::base_cap;
  if (all_at_head) return part::underside;
  return part::shaft;
}

}  // namespace

TEST_F(Gizmo, ArrowSurfacesFaceOutwardWithUnitNormals) {
  auto prims = capture_normals([] { draw_arrow(L, r, R, h, 8); });
  EXPECT_FALSE(glIsEnabled(GL_NORMALIZE)) << "put back as it was";
  int seen[4] = {};
  for (const auto& p : prims) {
    ASSERT_EQ(static_cast<GLenum>(GL_POLYGON_TOKEN), p.token);
    const part kind = part_of(p);
    ++seen[static_cast<int>(kind)];
    float wind[3];
    winding_normal(p, wind);
    for (const auto& v : p.v) {
      // Lighting saw a unit normal (GL_NORMALIZE on while the arrow draws).
      EXPECT_NEAR(1.0f, length3(v.r, v.g, v.b), 0.02f) << static_cast<int>(kind);
      switch (kind) {
        case part::base_cap:
        case part::underside:
          EXPECT_NEAR(-1.0f, v.b, 1e-2f);
          break;
        case part::shaft: {
          EXPECT_NEAR(0.0f, v.b, 1e-2f);
          // Outward through the middle of the face, as the vertex order has it.
          EXPECT_GT(v.r * wind[0] + v.g * wind[1], 0.97f);
          break;
        }
        case part::cone:
          // The facet's own outward normal: across its surface, leaning up.
          EXPECT_NEAR(1.0f, v.r * wind[0] + v.g * wind[1] + v.b * wind[2], 1e-2f);
          EXPECT_GT(v.b, 0.5f);
          break;
      }
    }
    if (kind == part::cone || kind == part::shaft) {
      float cx = 0, cy = 0;
      for (const auto& v : p.v) cx += v.x, cy += v.y;
      EXPECT_GT(cx * wind[0] + cy * wind[1], 0.0f) << "counter-clockwise from outside";
    }
  }
  // Eight segments: each quad comes back as two triangles.
  EXPECT_EQ(16, seen[static_cast<int>(part::shaft)]);
  EXPECT_EQ(8, seen[static_cast<int>(part::cone)]);
  EXPECT_EQ(8, seen[static_cast<int>(part::base_cap)]);
  EXPECT_EQ(16, seen[static_cast<int>(part::underside)]);
}

namespace {

// One lit feedback pass of the gizmo under light 0 only, as the callback sets it.
std::vector<fb_primitive> lit_axes(const std::function<void()>& light) {
  glPushAttrib(GL_LIGHTING_BIT | GL_ENABLE_BIT);
  const GLfloat none[] = {0, 0, 0, 1};
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  for (int i = 1; i < 8; ++i) glDisable(GL_LIGHT0 + i);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  for (GLenum what : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR}) glLightfv(GL_LIGHT0, what, none);
  const GLfloat dir[] = {0.5f, 0.6f, 0.62f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, dir);
  light();
  auto prims = capture_feedback(draw_axes);
  glPopAttrib();
  return prims;
}

// Which axis a primitive lies along (0, 1, 2), or -1 near the origin where
// the three arrows meet.
int axis_of(const fb_primitive& p) {
  float c[3] = {0, 0, 0};
  for (const auto& v : p.v) c[0] += v.x, c[1] += v.y, c[2] += v.z;
  for (float& x : c) x /= p.v.size();
  const int axis = static_cast<int>(std::max_element(c, c + 3, [](float a, float b) {
                                      return std::fabs(a) < std::fabs(b);
                                    }) -
                                    c);
  return std::fabs(c[axis]) > 0.2f ? axis : -1;
}

}  // namespace

TEST_F(Gizmo, ArrowsPointAlongThePositiveAxesAndTheMatrixComesBack) {
  glRotatef(10.0f, 1.0f, 1.0f, 0.0f);
  std::vector<float> before(16), after(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
  draw_axes();
  glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(before[i], after[i], 1e-5f) << i;

  glLoadIdentity();
  auto prims = capture_feedback(draw_axes);
  float tip[3] = {0, 0, 0};
  for (const auto& p : prims) {
    const int axis = axis_of(p);
    if (axis < 0) continue;
    for (const auto& v : p.v) {
      const float c[3] = {v.x, v.y, v.z};
      EXPECT_GT(c[axis], -1e-3f) << "along the positive axis " << axis;
      for (int other = 0; other < 3; ++other)
        if (other != axis) {
          EXPECT_LT(std::fabs(c[other]), 0.051f) << axis;
        }
      tip[axis] = std::max(tip[axis], c[axis]);
    }
  }
  for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(2.5f, tip[axis], 1e-3f) << axis;
}

TEST_F(Gizmo, EachArrowWearsItsOwnMaterialOnBothSides) {
  // Ambient light alone shows the shared grey ambient of every row.
  auto ambient = lit_axes([] {
    const GLfloat white[] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, white);
  });
  ASSERT_FALSE(ambient.empty());
  for (const auto& v : all_vertices(ambient)) {
    EXPECT_NEAR(0.4f, v.r, 1e-3f);
    EXPECT_NEAR(0.4f, v.g, 1e-3f);
    EXPECT_NEAR(0.4f, v.b, 1e-3f);
  }
  // Diffuse and specular light show each arrow's colour and nothing else:
  // red along x, green along y, blue along z; the same from behind.
  const GLfloat white[] = {1, 1, 1, 1};
  const struct {
    const char* what;
    GLenum light_part;
    bool two_sided;
  } passes[] = {{"diffuse", GL_DIFFUSE, false},
                {"specular", GL_SPECULAR, false},
                {"diffuse, back faces", GL_DIFFUSE, true}};
  for (const auto& pass : passes) {
    SCOPED_TRACE(pass.what);
    auto prims = lit_axes([&] {
      glLightfv(GL_LIGHT0, pass.light_part, white);
      glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, pass.two_sided ? GL_TRUE : GL_FALSE);
    });
    int lit[3] = {}, shaded[3] = {};
    for (const auto& p : prims) {
      const int axis = axis_of(p);
      if (axis < 0) continue;
      for (const auto& v : p.v) {
        const float c[3] = {v.r, v.g, v.b};
        for (int other = 0; other < 3; ++other)
          if (other != axis) {
            ASSERT_LT(c[other], 1e-3f) << "arrow " << axis;
          }
        lit[axis] += c[axis] > 0.3f;
        // Shininess 1: the highlight falls off across the surface (at 0 it
        // would be all or nothing).
        shaded[axis] += c[axis] > 0.05f && c[axis] < 0.95f;
      }
    }
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_GT(lit[axis], 50) << axis;
      EXPECT_GT(shaded[axis], 50) << axis;
    }
  }
}
