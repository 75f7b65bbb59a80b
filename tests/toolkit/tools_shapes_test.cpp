// The shape library, read back through feedback mode and OpenGL's state.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "gl_feedback.h"
#include "gl_test_env.h"
#include "qxtexture.h"
#include "tools/logo.h"
#include "tools/shapes.h"

namespace {

class Shapes : public ::testing::Test {
 protected:
  void SetUp() override { reset_drawing_state(); }
  void TearDown() override {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    for (int i = 0; i < 3; ++i) glDisable(GL_LIGHT0 + i);
  }
};

std::vector<float> modelview() {
  std::vector<float> m(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

bool near(const fb_vertex& v, float x, float y, float z, float tol = 1e-3f) {
  return std::fabs(v.x - x) < tol && std::fabs(v.y - y) < tol && std::fabs(v.z - z) < tol;
}

bool has_vertex(const std::vector<fb_vertex>& vs, float x, float y, float z) {
  return std::any_of(vs.begin(), vs.end(), [&](const fb_vertex& v) { return near(v, x, y, z); });
}

bool same_colour(const fb_vertex& v, float r, float g, float b) {
  return std::fabs(v.r - r) < 1e-3f && std::fabs(v.g - g) < 1e-3f && std::fabs(v.b - b) < 1e-3f;
}

// Area of a triangle-fanned polygon.
double polygon_area(const fb_primitive& p) {
  double area = 0.0;
  for (size_t i = 1; i + 1 < p.v.size(); ++i) {
    const fb_vertex &a = p.v[0], &b = p.v[i], &c = p.v[i + 1];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    area += 0.5 * std::sqrt(cx * cx + cy * cy + cz * cz);
  }
  return area;
}

double total_area(const std::vector<fb_primitive>& prims) {
  double a = 0.0;
  for (const auto& p : prims)
    if (p.token == GL_POLYGON_TOKEN) a += polygon_area(p);
  return a;
}

}  // namespace

TEST_F(Shapes, CappedCylinderOfFourHasSquareCapsAndFourWallQuads) {
  auto prims = capture_feedback([] { draw_capped_cylinder(4); });
  std::vector<fb_primitive> caps, wall;
  for (const auto& p : prims) {
    ASSERT_EQ(GL_POLYGON_TOKEN, p.token);
    (same_colour(p.v[0], 1.0f, 0.5f, 0.5f) ? caps : wall).push_back(p);
  }
  // Each cap is a unit-radius square (area 2) at z = -1 or +1 with its
  // corners at 0, 90, 180 and 270 degrees; texture coordinates follow x, y.
  double cap_area[2] = {0, 0};
  for (const auto& p : caps) {
    for (const auto& v : p.v) {
      EXPECT_NEAR(1.0f, std::fabs(v.z), 1e-3);
      EXPECT_NEAR(1.0f, std::fabs(v.x) + std::fabs(v.y), 1e-3) << "on the square's edge";
      EXPECT_NEAR(v.x, v.s, 1e-3);
      EXPECT_NEAR(v.y, v.t, 1e-3);
    }
    cap_area[p.v[0].z > 0] += polygon_area(p);
  }
  EXPECT_NEAR(2.0, cap_area[0], 1e-3);
  EXPECT_NEAR(2.0, cap_area[1], 1e-3);
  auto cap_vertices = all_vertices(caps);
  for (float z : {-1.0f, 1.0f})
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}})
      EXPECT_TRUE(has_vertex(cap_vertices, x, y, z)) << x << "," << y << "," << z;

  // The wall: four sides of width sqrt(2) and height 2, closed all round,
  // s = t = 0 at the bottom and 1 at the top, in the wall colour.
  EXPECT_NEAR(4 * std::sqrt(2.0) * 2.0, total_area(wall), 1e-3);
  for (const auto& v : all_vertices(wall)) {
    EXPECT_TRUE(same_colour(v, 0.2f, 0.2f, 0.5f));
    EXPECT_NEAR(v.z > 0 ? 1.0f : 0.0f, v.s, 1e-6);
    EXPECT_NEAR(v.z > 0 ? 1.0f : 0.0f, v.t, 1e-6);
  }
  std::vector<float> colour(4);
  glGetFloatv(GL_CURRENT_COLOR, colour.data());
  EXPECT_EQ((std::vector<float>{1.0f, 0.5f, 0.5f, 1.0f}), colour);
}

TEST_F(Shapes, HueRingColoursRunRoundTheHues) {
  // Two segments: steps at 0, pi and 2 pi.
  auto vs = all_vertices(capture_feedback([] { draw_hue_ring(2); }));
  ASSERT_FALSE(vs.empty());
  for (const auto& v : vs) {
    EXPECT_NEAR(0.0f, v.z, 1e-3) << "with two segments every step lies on the x axis";
    if (v.x > 0)
      EXPECT_TRUE(same_colour(v, 1.0f, 0.5f, 0.5f)) << v.r << " " << v.g << " " << v.b;
    else
      EXPECT_TRUE(same_colour(v, 0.0f, 1.0f, 1.0f)) << v.r << " " << v.g << " " << v.b;
  }
  // Top and bottom faces at +-0.06, walls at radii 1.6 and 2.0.
  for (float r : {1.6f, 2.0f})
    for (float y : {0.06f, -0.06f}) {
      EXPECT_TRUE(has_vertex(vs, r, y, 0));
      EXPECT_TRUE(has_vertex(vs, -r, y, 0));
    }
}

namespace {

// Three coloured lights from +x (red), +y (green) and -x (blue): a vertex's
// colour tells which way its normal points.
void light_by_direction() {
  glEnable(GL_LIGHTING);
  const GLfloat none[] = {0, 0, 0, 1}, white[] = {1, 1, 1, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
  const GLfloat dir[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}};
  const GLfloat colour[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
  for (int i = 0; i < 3; ++i) {
    glEnable(GL_LIGHT0 + i);
    glLightfv(GL_LIGHT0 + i, GL_POSITION, dir[i]);
    glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, colour[i]);
    glLightfv(GL_LIGHT0 + i, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0 + i, GL_SPECULAR, none);
  }
}

}  // namespace

TEST_F(Shapes, OpenCylinderFacesHaveOutwardUnitNormals) {
  light_by_direction();
  for (bool normalize_before : {false, true}) {
    SCOPED_TRACE(normalize_before);
    if (normalize_before) glEnable(GL_NORMALIZE);
    auto prims = capture_feedback([] { draw_open_cylinder(2.0, 1.0, 4); });
    EXPECT_EQ(normalize_before, static_cast<bool>(glIsEnabled(GL_NORMALIZE)));
    // Each face's centre tells which face it is; its colour, its normal
    // (1/sqrt 2 from a unit normal at 45 degrees, 1 had it not been normalised).
    const float k = static_cast<float>(std::sqrt(0.5));
    int faces_seen = 0;
    for (const auto& p : prims) {
      float cx = 0, cy = 0;
      for (const auto& v : p.v) {
        cx += v.x / p.v.size();
        cy += v.y / p.v.size();
        EXPECT_GE(v.z, -1e-3f);
        EXPECT_LE(v.z, 2.0f + 1e-3f);
      }
      const float r = cx > 0 ? k : 0, g = cy > 0 ? k : 0, b = cx < 0 ? k : 0;
      for (const auto& v : p.v)
        EXPECT_TRUE(same_colour(v, r, g, b)) << v.r << " " << v.g << " " << v.b;
      ++faces_seen;
    }
    EXPECT_GE(faces_seen, 4);
    EXPECT_NEAR(4 * std::sqrt(2.0) * 2.0, total_area(prims), 1e-3);
  }
}

TEST_F(Shapes, CylinderBetweenPointsUsesItsOwnFrame) {
  glTranslatef(5.0f, 5.0f, 5.0f);  // a view transform that must not apply
  const auto view = modelview();
  auto z_extent = [](const std::vector<fb_primitive>& prims) {
    auto vs = all_vertices(prims);
    float lo = 1e9f, hi = -1e9f, radius = 0.0f;
    for (const auto& v : vs) {
      lo = std::min(lo, v.z);
      hi = std::max(hi, v.z);
      radius = std::max(radius, std::hypot(v.x, v.y));
    }
    return std::vector<float>{lo, hi, radius};
  };
  // Upwards in z: a scale by 2.
  auto up = capture_feedback([] { draw_cylinder_between(1.0, 0.5, 8, 0, 0, 0, 0, 0, 2); });
  auto e = z_extent(up);
  EXPECT_NEAR(0.0f, e[0], 1e-3);
  EXPECT_NEAR(2.0f, e[1], 1e-3);
  EXPECT_NEAR(1.0f, e[2], 1e-3);
  EXPECT_EQ(view, modelview());

  // Downwards: a half turn about x, growing down from p1.
  auto down = capture_feedback([] { draw_cylinder_between(1.0, 0.5, 8, 0, 0, 2, 0, 0, 0); });
  e = z_extent(down);
  EXPECT_NEAR(0.0f, e[0], 1e-3);
  EXPECT_NEAR(2.0f, e[1], 1e-3);
  EXPECT_NEAR(1.0f, e[2], 1e-3);
  // The first vertex of the wall is (radius, 0, height) in the cylinder's frame.
  EXPECT_TRUE(has_vertex(all_vertices(up), 1, 0, 2));
  EXPECT_TRUE(has_vertex(all_vertices(down), 1, 0, 0));

  // Along a slanted line: every vertex lies at radius L * r from the axis.
  auto slant =
      capture_feedback([] { draw_cylinder_between(1.0, 0.25, 12, 1, -1, 0, 2, 1, 2); }, 8.0);
  const double L = 3.0;
  for (const auto& v : all_vertices(slant)) {
    const double px = v.x - 1, py = v.y + 1, pz = v.z;
    const double along = (px * 1 + py * 2 + pz * 2) / L;
    const double dist2 = px * px + py * py + pz * pz - along * along;
    EXPECT_NEAR(0.25 * L, std::sqrt(std::max(0.0, dist2)), 1e-3);
    EXPECT_GE(along, -1e-3);
    EXPECT_LE(along, L + 1e-3);
  }
}

TEST_F(Shapes, CylinderBetweenPointsOnAVerticalLineStaysFinite) {
  // Straight up and straight down in y: drawn along +-y with the right size.
  for (float dy : {3.0f, -3.0f}) {
    SCOPED_TRACE(dy);
    auto vs = all_vertices(
        capture_feedback([dy] { draw_cylinder_between(1.0, 0.5, 6, 1, 0, 0, 1, dy, 0); }, 8.0));
    ASSERT_FALSE(vs.empty());
    float lo = 1e9f, hi = -1e9f;
    for (const auto& v : vs) {
      ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
      EXPECT_NEAR(1.5, std::hypot(v.x - 1, v.z), 1e-3);
      lo = std::min(lo, v.y);
      hi = std::max(hi, v.y);
    }
    EXPECT_NEAR(std::min(0.0f, dy), lo, 1e-3);
    EXPECT_NEAR(std::max(0.0f, dy), hi, 1e-3);
  }
  // Equal points have no direction: nothing is drawn and nothing changes.
  const auto before = modelview();
  EXPECT_TRUE(
      capture_feedback([] { draw_cylinder_between(1.0, 0.5, 6, 1, 2, 3, 1, 2, 3); }).empty());
  EXPECT_TRUE(
      capture_feedback([] { draw_cylinder_between(1.0, 0.5, 6, 0, 0, 0, NAN, 1, 1); }).empty());
  EXPECT_EQ(before, modelview());
  EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(Shapes, SegmentCountsBelowOneDrawNothing) {
  for (int n : {0, -1, -1000}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(capture_feedback([n] { draw_capped_cylinder(n); }).empty());
    EXPECT_TRUE(capture_feedback([n] { draw_hue_ring(n); }).empty());
    EXPECT_TRUE(capture_feedback([n] { draw_open_cylinder(1, 1, n); }).empty());
    EXPECT_TRUE(
        capture_feedback([n] { draw_cylinder_between(1, 1, n, 0, 0, 0, 1, 1, 1); }).empty());
  }
  EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
  EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(Shapes, TexturedBoxIsAClosedCubeAndRestoresItsState) {
  qxtexture checker;
  glGenTextures(1, &checker.tex_name);
  {
    stream_capture quiet(1);
    checker.make_checker();
  }
  glRotatef(30.0f, 1.0f, 2.0f, 3.0f);
  glTranslatef(0.1f, 0.2f, 0.3f);
  const auto before = modelview();
  for (bool texturing_before : {false, true}) {
    if (texturing_before) glEnable(GL_TEXTURE_2D);
    draw_textured_box(1.5f, 1, 2, checker.tex_name, 4, 5, 6);
    const auto after = modelview();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(before[i], after[i], 1e-5) << i;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLint>(checker.tex_name), bound) << "the last face is +x, t3";
  }

  glLoadIdentity();
  auto prims = capture_feedback([] { draw_textured_box(1.5f, 1, 2, 3, 4, 5, 6); });
  // Six faces of 3 x 3, every vertex on a corner of the cube of edge 3.
  EXPECT_NEAR(6 * 9.0, total_area(prims), 1e-3);
  for (const auto& v : all_vertices(prims)) {
    EXPECT_NEAR(1.5f, std::fabs(v.x), 1e-4);
    EXPECT_NEAR(1.5f, std::fabs(v.y), 1e-4);
    EXPECT_NEAR(1.5f, std::fabs(v.z), 1e-4);
  }
  // The +z face shows its texture turned: s = 1 on the left, t = 1 at the bottom.
  bool found = false;
  for (const auto& v : all_vertices(prims))
    if (near(v, -1.5f, -1.5f, 1.5f, 1e-4f) && v.s == 1.0f && v.t == 1.0f) found = true;
  EXPECT_TRUE(found);

  // A box scaled to nothing draws nothing and cannot spoil the matrix.
  const auto identity = modelview();
  EXPECT_TRUE(capture_feedback([] { draw_textured_box(0.0f, 1, 2, 3, 4, 5, 6); }).empty());
  draw_textured_box(0.0f, 1, 2, 3, 4, 5, 6);
  draw_textured_box(INFINITY, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(identity, modelview());
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Shapes, HillRingsRunFromTheRimToTheTop) {
  GLuint list = 0;
  auto prims = capture_feedback([&] { list = make_hill_list(); }, 30.0);
  ASSERT_TRUE(glIsList(list));
  ASSERT_FALSE(prims.empty());
  auto height = [](double r) { return (1 + std::cos(M_PI * r / 20.0)) * 10.0; };
  for (const auto& v : all_vertices(prims)) {
    const double r = std::hypot(v.x, v.z);
    EXPECT_NEAR(height(r), v.y, 2e-2) << r;
  }
  // Each quad comes back as two triangles. The first starts at the rim,
  // (16.67, 1.34, 0) and (20, 0, 0); the last closes on the axis at the top.
  std::vector<fb_vertex> first_quad = prims[0].v, last_quad = prims.back().v;
  first_quad.insert(first_quad.end(), prims[1].v.begin(), prims[1].v.end());
  last_quad.insert(last_quad.end(), prims[prims.size() - 2].v.begin(),
                   prims[prims.size() - 2].v.end());
  EXPECT_TRUE(has_vertex(first_quad, 100.0f / 6, 1.3397f, 0));
  EXPECT_TRUE(std::any_of(first_quad.begin(), first_quad.end(),
                          [](const fb_vertex& v) { return near(v, 20, 0, 0, 1e-2f); }));
  EXPECT_TRUE(std::any_of(last_quad.begin(), last_quad.end(),
                          [](const fb_vertex& v) { return near(v, 0, 20, 0, 1e-2f); }));
  // Angles grow towards -z: the second step lies at 10 degrees, z < 0.
  const double r = 20.0, a = 10.0 * M_PI / 180.0;
  EXPECT_TRUE(std::any_of(first_quad.begin(), first_quad.end(), [&](const fb_vertex& v) {
    return near(v, r * std::cos(a), 0, -r * std::sin(a), 1e-2f);
  }));
  glDeleteLists(list, 1);
}

TEST_F(Shapes, BouncingLogoStaysInsideTheView) {
  // The step alone, without drawing: thousands of frames queued on the
  // window would cost seconds at exit.
  for (auto [w, h] : {std::pair{640, 360}, {360, 640}, {1280, 720}, {200, 200}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const double limit = 5.0 * w / h - 3.0;
    srand(12345);
    logo_position[0] = logo_position[1] = 0.0f;
    logo_step[0] = logo_step[1] = 0.01f;
    float x_lo = 0, x_hi = 0, y_lo = 0, y_hi = 0;
    for (int frame = 0; frame < 6000; ++frame) {
      ASSERT_TRUE(logo_bounce_step(w, h));
      // A view narrower than the card keeps it centred, within one step.
      ASSERT_LE(std::fabs(logo_position[0]), std::max(limit, 0.01)) << frame;
      ASSERT_LE(std::fabs(logo_position[1]), 3.5f) << frame;
      x_lo = std::min(x_lo, logo_position[0]);
      x_hi = std::max(x_hi, logo_position[0]);
      y_lo = std::min(y_lo, logo_position[1]);
      y_hi = std::max(y_hi, logo_position[1]);
      ASSERT_NEAR(0.01f, std::fabs(logo_step[0]), 1e-7);
      ASSERT_NEAR(0.01f, std::fabs(logo_step[1]), 1e-7);
    }
    if (limit > 1.0) {
      EXPECT_GT(x_hi - x_lo, limit) << "it travels";
    }
    EXPECT_GT(y_hi - y_lo, 3.5f);
  }
  // A window without area leaves the card where it was.
  const float x = logo_position[0], y = logo_position[1];
  EXPECT_FALSE(logo_bounce_step(640, 0));
  EXPECT_FALSE(logo_bounce_step(0, 0));
  EXPECT_EQ(x, logo_position[0]);
  EXPECT_EQ(y, logo_position[1]);
}

TEST_F(Shapes, BouncingLogoFrameDrawsTheCardWhereThePositionSays) {
  make_logo_list();
  srand(1);
  logo_position[0] = 1.0f;
  logo_position[1] = -2.0f;
  logo_step[0] = logo_step[1] = 0.01f;
  glRotatef(45.0f, 0.0f, 0.0f, 1.0f);  // loaded away by the frame
  auto vs = all_vertices(capture_feedback([] { draw_bouncing_logo(640, 360); }, 10.0));
  ASSERT_FALSE(vs.empty());
  float cx = 0, cy = 0;
  for (const auto& v : vs) {
    cx += v.x / vs.size();
    cy += v.y / vs.size();
  }
  EXPECT_NEAR(1.01f, logo_position[0], 1e-6);
  EXPECT_NEAR(logo_position[0], cx, 1e-3);
  EXPECT_NEAR(logo_position[1], cy, 1e-3);
  EXPECT_TRUE(capture_feedback([] { draw_bouncing_logo(640, 0); }).empty());
}
