// The shape library's surfaces: which way they face, what normals lighting
// sees, where their textures land, and that each shape draws at all.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gl_feedback.h"
#include "gl_test_env.h"
#include "tools/logo.h"
#include "tools/shapes.h"

namespace {

class Surfaces : public ::testing::Test {
 protected:
  void SetUp() override { reset_drawing_state(); }
  void TearDown() override {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
};

float dot3(const float* a, float x, float y, float z) { return a[0] * x + a[1] * y + a[2] * z; }

// A one-texel texture of one colour, nearest filtering.
GLuint plain_texture(unsigned char r, unsigned char g, unsigned char b) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const unsigned char texel[] = {r, g, b};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

// Draws under an orthographic box of +-span and reads the pixel showing (x, y).
std::vector<int> pixel_at(float x, float y, float span) {
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  const int col = static_cast<int>((x / span + 1.0f) / 2.0f * vp[2]);
  const int row = static_cast<int>((y / span + 1.0f) / 2.0f * vp[3]);
  unsigned char p[3];
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(col, row, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

void ortho(float span) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-span, span, -span, span, -span, span);
  glMatrixMode(GL_MODELVIEW);
}

}  // namespace

TEST_F(Surfaces, TexturedBoxPutsEachTextureOnItsFace) {
  const GLuint t[6] = {plain_texture(255, 0, 0),   plain_texture(0, 255, 0),
                       plain_texture(0, 0, 255),   plain_texture(255, 255, 0),
                       plain_texture(0, 255, 255), plain_texture(255, 0, 255)};
  const struct {
    const char* face;
    float angle, ax, ay;  // turns that face towards the viewer
    int texture;          // t1 ... t6 as 0 ... 5
  } faces[] = {{"+z", 0, 0, 1, 0},  {"-z", 180, 0, 1, 3}, {"+y", 90, 1, 0, 4},
               {"-y", -90, 1, 0, 1}, {"-x", 90, 0, 1, 5}, {"+x", -90, 0, 1, 2}};
  ortho(4);
  glEnable(GL_DEPTH_TEST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  for (const auto& f : faces) {
    SCOPED_TRACE(f.face);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glRotatef(f.angle, f.ax, f.ay, 0);
    draw_textured_box(1.0f, t[0], t[1], t[2], t[3], t[4], t[5]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    std::vector<int> want(3);
    glBindTexture(GL_TEXTURE_2D, t[f.texture]);
    unsigned char texel[3];
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(std::vector<int>(texel, texel + 3), pixel_at(0.3f, 0.2f, 4)) << "t" << f.texture + 1;
    EXPECT_EQ(static_cast<GLint>(t[2]), bound) << "the +x face, t3, comes last";
  }
  glDeleteTextures(6, t);
}

TEST_F(Surfaces, HueRingNormalsPointOutOfEachFaceAndTheStripsTurnOneWay) {
  auto prims = capture_normals([] { draw_hue_ring(8); });
  int top = 0, bottom = 0, outer = 0, inner = 0;
  for (const auto& p : prims) {
    bool all_top = true, all_bottom = true, all_outer = true, all_inner = true;
    for (const auto& v : p.v) {
      const float radius = std::hypot(v.x, v.z);
      all_top &= std::fabs(v.y - 0.06f) < 1e-3f;
      all_bottom &= std::fabs(v.y + 0.06f) < 1e-3f;
      all_outer &= std::fabs(radius - 2.0f) < 1e-3f;
      all_inner &= std::fabs(radius - 1.6f) < 1e-3f;
    }
    ASSERT_EQ(1, all_top + all_bottom + all_outer + all_inner) << "one of the four strips";
    float wind[3];
    winding_normal(p, wind);
    for (const auto& v : p.v) {
      const float radius = std::hypot(v.x, v.z), cx = v.x / radius, cz = v.z / radius;
      const float n[3] = {v.r, v.g, v.b};
      if (all_top || all_bottom) {
        EXPECT_NEAR(all_top ? 1.0f : -1.0f, v.g, 1e-3f);
        EXPECT_NEAR(0.0f, std::hypot(v.r, v.b), 1e-3f);
        // Inner vertex before outer: both faces turn counter-clockwise seen from below.
        EXPECT_LT(wind[1], -0.99f);
      } else {
        const float out = all_outer ? 1.0f : -1.0f;  // the inner wall faces the hole
        EXPECT_NEAR(out, dot3(n, cx, 0, cz), 1e-3f) << "each step's own normal";
        EXPECT_NEAR(0.0f, v.g, 1e-3f);
        // Upper vertex before lower: both walls turn counter-clockwise seen from the axis.
        EXPECT_LT(wind[0] * cx + wind[2] * cz, -0.9f);
      }
    }
    top += all_top, bottom += all_bottom, outer += all_outer, inner += all_inner;
  }
  for (int n : {top, bottom, outer, inner}) EXPECT_EQ(16, n) << "8 quads, 2 triangles each";
}

TEST_F(Surfaces, CappedCylinderCapsFacePlusZWithTheNormalItFinds) {
  auto prims = capture_normals([] {
    glNormal3f(0.0f, 1.0f, 0.0f);
    draw_capped_cylinder(6);
  });
  int caps = 0, wall = 0;
  for (const auto& p : prims) {
    for (const auto& v : p.v) {
      EXPECT_NEAR(0.0f, v.r, 1e-3f);
      EXPECT_NEAR(1.0f, v.g, 1e-3f) << "no normals of its own";
      EXPECT_NEAR(0.0f, v.b, 1e-3f);
    }
    float wind[3];
    winding_normal(p, wind);
    const bool cap = std::all_of(p.v.begin(), p.v.end(), [&](const fb_vertex& v) {
      return std::fabs(v.z - p.v[0].z) < 1e-3f;
    });
    if (cap) {
      ++caps;
      EXPECT_GT(wind[2], 0.99f) << "both caps counter-clockwise seen from +z";
    } else {
      ++wall;
      float cx = 0, cy = 0;
      for (const auto& v : p.v) cx += v.x, cy += v.y;
      EXPECT_LT(cx * wind[0] + cy * wind[1], 0.0f) << "bottom before top: the wall faces in";
    }
  }
  EXPECT_GE(caps, 2);
  EXPECT_EQ(12, wall) << "6 quads of 2 triangles";
}

TEST_F(Surfaces, WireBoxHangsBelowTheOrigin) {
  auto prims = capture_feedback([] { draw_wire_box(2.0f, 4.0f, 6.0f); }, 8.0);
  ASSERT_FALSE(prims.empty());
  float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
  for (const auto& p : prims) {
    EXPECT_TRUE(p.token == GL_LINE_TOKEN || p.token == GL_LINE_RESET_TOKEN);
    for (const auto& v : p.v) {
      const float c[3] = {v.x, v.y, v.z};
      for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], c[i]), hi[i] = std::max(hi[i], c[i]);
    }
  }
  const float want_lo[3] = {-1, -4, -3}, want_hi[3] = {1, 0, 3};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(want_lo[i], lo[i], 1e-3f) << i;
    EXPECT_NEAR(want_hi[i], hi[i], 1e-3f) << i;
  }
  std::vector<float> m(16), identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  EXPECT_EQ(identity, m);
}

TEST_F(Surfaces, SquaresCarryTheirTextureCoordinates) {
  // Tiled: twice each way, t from 2 at the bottom to 0 at the top. Face:
  // once, turned half a turn.
  const struct {
    const char* name;
    void (*draw)();
    float s_at_left, s_at_right, t_at_bottom, t_at_top;
  } squares[] = {{"tiled", draw_tiled_quad, 0, 2, 2, 0}, {"face", draw_face_quad, 1, 0, 1, 0}};
  for (const auto& q : squares) {
    SCOPED_TRACE(q.name);
    auto vs = all_vertices(capture_normals(q.draw));
    ASSERT_EQ(6u, vs.size()) << "one quad, two triangles";
    int corners = 0;
    for (const auto& v : vs) {
      EXPECT_NEAR(1.0f, std::fabs(v.x), 1e-4f);
      EXPECT_NEAR(1.0f, std::fabs(v.y), 1e-4f);
      EXPECT_EQ(v.x < 0 ? q.s_at_left : q.s_at_right, v.s) << v.x << "," << v.y;
      EXPECT_EQ(v.y < 0 ? q.t_at_bottom : q.t_at_top, v.t) << v.x << "," << v.y;
      EXPECT_NEAR(1.0f, v.b, 1e-3f) << "normal +z";
      corners |= 1 << ((v.x > 0) * 2 + (v.y > 0));
    }
    EXPECT_EQ(15, corners);
  }
}

TEST_F(Surfaces, TeapotIsDrawnAndLeavesTextureGenerationOff) {
  auto prims = capture_feedback(draw_env_teapot);
  ASSERT_GT(prims.size(), 500u);
  float lo_x = 1e9f, hi_x = -1e9f, lo_y = 1e9f, hi_y = -1e9f;
  for (const auto& v : all_vertices(prims)) {
    lo_x = std::min(lo_x, v.x), hi_x = std::max(hi_x, v.x);
    lo_y = std::min(lo_y, v.y), hi_y = std::max(hi_y, v.y);
  }
  // Size 1: from the spout's tip to the handle about 3.2 units, 1.6 high.
  EXPECT_GT(hi_x - lo_x, 2.8f);
  EXPECT_LT(hi_x - lo_x, 3.6f);
  EXPECT_GT(hi_y - lo_y, 1.2f);
  EXPECT_LT(hi_y - lo_y, 2.0f);
  // (Feedback reports the teapot's own texture coordinates, not generated
  // ones; the next case reads the sphere map back from the screen.)
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  for (GLenum coord : {GL_S, GL_T}) {
    GLint mode = 0;
    glGetTexGeniv(coord, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(GL_SPHERE_MAP, mode);
  }
}

// The teapot's texture is the sphere map: seen from the front, s = 0.5 + nx/2,
// so a texture that reddens with s is dark on the body's left and bright on
// its right. The teapot's own coordinates run round each patch instead.
TEST_F(Surfaces, TeapotSphereMapFollowsTheNormalAcrossTheBody) {
  GLuint ramp = 0;
  glGenTextures(1, &ramp);
  glBindTexture(GL_TEXTURE_2D, ramp);
  unsigned char texels[64 * 3] = {};
  for (int i = 0; i < 64; ++i) texels[i * 3] = static_cast<unsigned char>(i * 255 / 63);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  // Far from the eye, so every vertex is seen straight along -z.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, 1, 20);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0, 0, -10);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw_env_teapot();
  glFinish();
  const int left = pixel_at(-0.6f, 0.0f, 2)[0], right = pixel_at(0.6f, 0.0f, 2)[0];
  EXPECT_LT(left, 100);
  EXPECT_GT(right, 155);
  glDeleteTextures(1, &ramp);
}

TEST_F(Surfaces, TriangleOutlineIsOneClosedLoop) {
  auto prims = capture_feedback(draw_triangle_outline, 30.0);
  ASSERT_EQ(3u, prims.size());
  const float corner[3][2] = {{0, 25}, {25, -25}, {-25, -25}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(prims[i].token == GL_LINE_TOKEN || prims[i].token == GL_LINE_RESET_TOKEN);
    const auto &a = prims[i].v[0], &b = prims[i].v[1];
    EXPECT_NEAR(corner[i][0], a.x, 1e-2f);
    EXPECT_NEAR(corner[i][1], a.y, 1e-2f);
    EXPECT_NEAR(corner[(i + 1) % 3][0], b.x, 1e-2f);
    EXPECT_NEAR(corner[(i + 1) % 3][1], b.y, 1e-2f);
    EXPECT_NEAR(0.0f, a.z, 1e-3f);
  }
}

TEST_F(Surfaces, LogoCardShowsItsTextureWholeAndUpright) {
  // A 2 x 2 picture: row 0 red, green; row 1 blue, white. The card shows
  // row 0 along its bottom edge, s running left to right.
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const unsigned char picture[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, picture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const GLuint saved = logo_texture;
  logo_texture = name;
  make_logo_list();
  logo_texture = saved;

  ortho(5);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glCallList(logo_list);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texturing only inside the card";
  EXPECT_EQ((std::vector<int>{255, 0, 0}), pixel_at(-1.5f, -0.75f, 5));
  EXPECT_EQ((std::vector<int>{0, 255, 0}), pixel_at(1.5f, -0.75f, 5));
  EXPECT_EQ((std::vector<int>{0, 0, 255}), pixel_at(-1.5f, 0.75f, 5));
  EXPECT_EQ((std::vector<int>{255, 255, 255}), pixel_at(1.5f, 0.75f, 5));
  // Its corners: 6 wide, 3 high.
  EXPECT_EQ((std::vector<int>{255, 0, 0}), pixel_at(-2.9f, -1.4f, 5));
  EXPECT_EQ((std::vector<int>{255, 255, 255}), pixel_at(2.9f, 1.4f, 5));
  EXPECT_EQ((std::vector<int>{0, 0, 0}), pixel_at(-3.1f, 0.0f, 5));
  EXPECT_EQ((std::vector<int>{0, 0, 0}), pixel_at(0.0f, 1.6f, 5));
  glDeleteLists(logo_list, 1);
  glDeleteTextures(1, &name);
}
