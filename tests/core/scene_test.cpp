#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "gl_feedback.h"
#include "gl_test_env.h"
#include "main.h"

namespace {

// scene_init once per program, with the generated pictures and a fixed seed.
void init_scene_once() {
  static bool done = false;
  if (done) return;
  done = true;
  srand(1);
  stream_capture out(1);
  scene_init();
  resize_test_window(640, 360);
  scene_reshape(640, 360);
}

// Feedback of one scene_draw: how many polygons it emitted.
int polygons_drawn() {
  static std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  scene_draw();
  GLint n = glRenderMode(GL_RENDER);
  int polygons = 0;
  for (GLint i = 0; i < n;) {
    GLint token = static_cast<GLint>(buffer[i++]);
    if (token == GL_POLYGON_TOKEN) {
      int vertices = static_cast<int>(buffer[i++]);
      i += vertices * 11;  // x y z, r g b a, s t r q
      ++polygons;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      i += 1;
    } else {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
  }
  return polygons;
}

class Scene : public ::testing::Test {
 protected:
  void SetUp() override {
    init_scene_once();
    scene_state.show_axes = 0;
    scene_state.show_gradient = 0;
    scene_state.frame_count = 0;
  }
};

TEST_F(Scene, DriverReportLines) {
  stream_capture out(1);
  gl_report_driver();
  std::string text = out.text();
  // Line by line rather than one regex: libstdc++'s matcher recurses once per
  // character and overflows the stack on the long extensions line.
  const char* starts[] = {"OpenGL Vendor: ", "OpenGL Rendorer: ", "OpenGL Version: ",
                          "OpenGL Extensions: "};
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos) << text;
    std::string line = text.substr(at, end - at);
    EXPECT_EQ(line.rfind(starts[i], 0), 0u) << line;
    if (i == 1 || i == 2) {
      EXPECT_GT(line.size(), strlen(starts[i])) << line;
    }
    at = end + 1;
  }
  EXPECT_EQ(at, text.size()) << text;
}

TEST_F(Scene, SetUpLeavesTheStateEveryFrameReliesOn) {
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  GLfloat density = 0, diffuse[4] = {};
  GLint fog_mode = 0;
  glGetFloatv(GL_FOG_DENSITY, &density);
  glGetIntegerv(GL_FOG_MODE, &fog_mode);
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  EXPECT_FLOAT_EQ(density, 0.15f);
  EXPECT_EQ(fog_mode, GL_EXP);
  EXPECT_FLOAT_EQ(diffuse[0], 0.8f);
  // Lighting stays on: the first frame's backdrop is lit (and dimmed) by it.
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  const struct {
    GLenum name;
    std::vector<float> value;
  } light[] = {{GL_POSITION, {0.0f, 1.0f, 0.0f, 0.0f}},
               {GL_AMBIENT, {0.4f, 0.4f, 0.4f, 1.0f}},
               {GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
               {GL_SPECULAR, {1.0f, 1.0f, 1.0f, 1.0f}}};
  for (const auto& l : light) {
    std::vector<float> got(4);
    glGetLightfv(GL_LIGHT0, l.name, got.data());
    EXPECT_EQ(l.value, got) << l.name;
  }
  GLfloat fog_colour[4], fog_start = 0, fog_end = 0;
  glGetFloatv(GL_FOG_COLOR, fog_colour);
  glGetFloatv(GL_FOG_START, &fog_start);
  glGetFloatv(GL_FOG_END, &fog_end);
  EXPECT_EQ((std::vector<float>{1, 1, 1, 1}), std::vector<float>(fog_colour, fog_colour + 4));
  EXPECT_EQ(1.0f, fog_start);
  EXPECT_EQ(5.0f, fog_end);
  GLint shade = 0;
  glGetIntegerv(GL_SHADE_MODEL, &shade);
  EXPECT_EQ(GL_SMOOTH, shade);
  EXPECT_FALSE(scene_state.full_screen);
  EXPECT_NE(scene_state.gradient_texture.tex_name, 0u);
  EXPECT_NE(scene_state.title_texture.tex_name, 0u);
  EXPECT_EQ(scene_state.sprite_texture.tex_name, 0u);  // the default texture
  EXPECT_EQ(scene_state.title_texture.d, 3);
}

TEST(StarField, RangesAndTheOrderOfTheRandomCalls) {
  srand(7);
  std::vector<int> draws(7 * star_count + 1);
  for (int& d : draws) d = rand() & 0x7FFF;  // 15 bits, as on Windows
  srand(7);
  build_star_field();
  EXPECT_EQ(rand() & 0x7FFF, draws.back());  // exactly 7168 calls
  for (int i = 0; i < star_count; ++i) {
    const float* p = scene_state.star_position[i];
    const float* s = scene_state.star_scale[i];
    for (int a = 0; a < 3; ++a) {
      EXPECT_GE(p[a], -8.0f);
      EXPECT_LE(p[a], 8.0f);
      // Each coordinate is the second draw minus the first.
      float first = static_cast<float>(draws[i * 7 + a * 2] / 32767.0 * 8.0f);
      float second = static_cast<float>(draws[i * 7 + a * 2 + 1] / 32767.0 * 8.0f);
      EXPECT_FLOAT_EQ(p[a], second - first);
    }
    EXPECT_GE(s[0], 0.0f);
    EXPECT_LE(s[0], 1.0f);
    EXPECT_EQ(s[0], s[1]);
    EXPECT_EQ(s[1], s[2]);
  }
  std::vector<float> first_field(&scene_state.star_position[0][0],
                                 &scene_state.star_position[0][0] + star_count * 3);
  srand(7);
  build_star_field();
  EXPECT_EQ(std::vector<float>(&scene_state.star_position[0][0],
                               &scene_state.star_position[0][0] + star_count * 3),
            first_field);
  srand(8);
  build_star_field();
  EXPECT_NE(scene_state.star_position[0][0], first_field[0]);
  srand(1);
  build_star_field();
}

TEST_F(Scene, CameraDollyFollowsTheFrameCounter) {
  const struct {
    int frame;
    float z;
  } cases[] = {{0, -20.0f}, {1571, -12.0f}, {4712, -28.0f}};
  for (const auto& c : cases) {
    scene_state.frame_count = c.frame;
    scene_draw();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);  // the world frame, after the dolly
    EXPECT_NEAR(m[14], c.z, 1e-3) << c.frame;
  }
}

TEST_F(Scene, CloudPitchStepsAndStallsWhereFloatsRunOut) {
  scene_state.cloud_pitch = 0.0f;
  scene_draw();
  scene_draw();
  EXPECT_FLOAT_EQ(scene_state.cloud_pitch, -0.1f);
  scene_state.cloud_pitch = -1048576.0f;
  scene_draw();
  EXPECT_EQ(scene_state.cloud_pitch, -1048576.0f);
  scene_state.cloud_pitch = 0.0f;
}

TEST_F(Scene, GizmoAndGradientOnlyAtExactlyOne) {
  const int plain = polygons_drawn();
  // Two triangles a sprite, and the backdrop (split further where it is clipped).
  EXPECT_GE(plain, 2 + 2 * star_count);
  EXPECT_LE(plain, 8 + 2 * star_count);
  scene_state.show_axes = 2;
  scene_state.show_gradient = 2;
  EXPECT_EQ(polygons_drawn(), plain);
  scene_state.show_gradient = 1;
  EXPECT_EQ(polygons_drawn(), plain + 2);
  scene_state.show_axes = 1;
  scene_state.show_gradient = 0;
  EXPECT_GE(polygons_drawn(), plain + 3 * 100 * 4);  // four primitives a segment
  // The gizmo frame leaves lighting off.
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  glEnable(GL_LIGHTING);
}

TEST_F(Scene, FrameShowsTheTitleLowerRightAndTheGlowAroundTheCentre) {
  scene_state.frame_count = 300;
  scene_draw();
  std::vector<unsigned char> rgb(640 * 360 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 640, 360, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  // Mean brightness of a rectangle; rows count from the bottom.
  auto mean = [&](int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) sum += rgb[(y * 640 + x) * 3 + c];
    return sum / ((x1 - x0) * (y1 - y0) * 3);
  };
  double centre = mean(220, 100, 420, 260);
  double upper_left = mean(0, 300, 80, 360);
  double lower_right_band = 0;
  for (int x = 320; x < 640; x += 40) lower_right_band = std::max(lower_right_band, mean(x, 0, x + 40, 180));
  EXPECT_GT(centre, 20.0);
  EXPECT_GT(centre, upper_left * 2);
  EXPECT_GT(lower_right_band, mean(0, 0, 160, 90) + 5.0);
}

// The first frame itself is drawn in first_frame_test, in a process of its own.
TEST_F(Scene, AFrameLeavesAdditiveBlendingAndTheDecalEnvironment) {
  glBlendFunc(GL_ONE, GL_ZERO);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GLint src = 0, dst = 0, env = 0;
  scene_draw();
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(src, GL_ONE);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_EQ(env, GL_DECAL);
  // What the sprite pass left is what the next backdrop is drawn with.
  GLint min_filter = 0;
  glBindTexture(GL_TEXTURE_2D, 0);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  EXPECT_EQ(min_filter, GL_LINEAR_MIPMAP_LINEAR);
}

TEST(SpriteQuad, TextureRunsRightToLeftAndTopToBottom) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  auto prims = capture_feedback(draw_sprite_quad);
  auto vs = all_vertices(prims);
  ASSERT_EQ(2u, prims.size()) << "one strip of two triangles";
  int corners = 0;
  for (const auto& v : vs) {
    EXPECT_NEAR(1.0f, std::fabs(v.x), 1e-4);
    EXPECT_NEAR(1.0f, std::fabs(v.y), 1e-4);
    EXPECT_NEAR(0.0f, v.z, 1e-4);
    // s = 1 on the left edge, t = 0 on the top edge.
    EXPECT_EQ((1.0f - std::round(v.x)) / 2.0f, v.s) << v.x << "," << v.y;
    EXPECT_EQ((1.0f - std::round(v.y)) / 2.0f, v.t) << v.x << "," << v.y;
    corners |= 1 << ((v.x > 0) * 2 + (v.y > 0));
  }
  EXPECT_EQ(15, corners) << "all four corners";
}

// The title backdrop with a 2 x 2 picture in place of the title, the sprites
// shrunk to nothing: red, green over blue, white as the file lists them.
class TitleBackdrop : public Scene {
 protected:
  void SetUp() override {
    Scene::SetUp();
    std::memcpy(saved_scale_, scene_state.star_scale, sizeof saved_scale_);
    std::memset(scene_state.star_scale, 0, sizeof scene_state.star_scale);
    const unsigned char picture[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    glBindTexture(GL_TEXTURE_2D, scene_state.title_texture.tex_name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, picture);
    scene_draw();
    scene_draw();  // from the second frame on, the picture shows as it is
    rgb_.resize(640 * 360 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 360, GL_RGB, GL_UNSIGNED_BYTE, rgb_.data());
  }
  void TearDown() override {
    std::memcpy(scene_state.star_scale, saved_scale_, sizeof saved_scale_);
    const qxtexture& t = scene_state.title_texture;
    glBindTexture(GL_TEXTURE_2D, t.tex_name);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, t.w, t.h, GL_RGB, GL_UNSIGNED_BYTE, t.pixels);
  }
  // The pixel showing eye-space point (x, y) at distance 20.
  std::vector<int> at(float x, float y) {
    const int col = static_cast<int>((x * (360.0f / 640.0f) / 20.0f + 1.0f) * 320.0f);
    const int row = static_cast<int>((y / 20.0f + 1.0f) * 180.0f);
    const unsigned char* p = &rgb_[(row * 640 + col) * 3];
    return {p[0], p[1], p[2]};
  }
  std::vector<unsigned char> rgb_;
  float saved_scale_[star_count][3];
};

bool near_colour(const std::vector<int>& got, int r, int g, int b, int tolerance = 24) {
  return std::abs(got[0] - r) <= tolerance && std::abs(got[1] - g) <= tolerance &&
         std::abs(got[2] - b) <= tolerance;
}

TEST_F(TitleBackdrop, ShowsThePictureUprightAndNotMirrored) {
  // The 24 x 24 square spans x 4 ... 28 and y -21 ... 3; each texel a quarter.
  EXPECT_TRUE(near_colour(at(10, -3), 255, 0, 0)) << "first row, first pixel: top left";
  EXPECT_TRUE(near_colour(at(22, -3), 0, 255, 0)) << "top right";
  EXPECT_TRUE(near_colour(at(10, -15), 0, 0, 255)) << "bottom left";
  EXPECT_TRUE(near_colour(at(22, -15), 255, 255, 255)) << "bottom right";
  EXPECT_TRUE(near_colour(at(2, -3), 0, 0, 0)) << "nothing left of the square";
  EXPECT_TRUE(near_colour(at(10, 5), 0, 0, 0)) << "nothing above it";
}

TEST_F(TitleBackdrop, EdgesFadeToTheBorderInsteadOfWrapping) {
  // Half a texel from the top left corner the filter reaches past the edge:
  // clamped, it mixes in the black border and never the far side's colours.
  for (auto [x, y] : {std::pair{4.3f, 2.7f}, {4.3f, -3.0f}, {10.0f, 2.7f}}) {
    const auto corner = at(x, y);
    EXPECT_LT(corner[0], 200) << x << "," << y;
    EXPECT_GT(corner[0], 40) << x << "," << y;
    EXPECT_LT(corner[1], 12) << x << "," << y;
    EXPECT_LT(corner[2], 12) << x << "," << y;
  }
  GLint wrap_s = 0, wrap_t = 0;
  glBindTexture(GL_TEXTURE_2D, scene_state.title_texture.tex_name);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap_s);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap_t);
  EXPECT_EQ(GL_CLAMP, wrap_s);
  EXPECT_EQ(GL_CLAMP, wrap_t);
}

TEST_F(Scene, EachBindSetsTheTexturesWrapAndFilters) {
  scene_state.show_gradient = 1;
  scene_draw();
  const struct {
    const char* what;
    GLuint name;
    GLint wrap, min_filter;
  } cases[] = {
      {"title", scene_state.title_texture.tex_name, GL_CLAMP, GL_LINEAR},
      {"gradient", scene_state.gradient_texture.tex_name, GL_REPEAT, GL_LINEAR},
      {"sprite", scene_state.sprite_texture.tex_name, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    glBindTexture(GL_TEXTURE_2D, c.name);
    GLint got[4] = {};
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &got[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &got[1]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &got[2]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &got[3]);
    EXPECT_EQ(c.wrap, got[0]);
    EXPECT_EQ(c.wrap, got[1]);
    EXPECT_EQ(GL_LINEAR, got[2]);
    EXPECT_EQ(c.min_filter, got[3]);
  }
}

TEST_F(Scene, ReshapeFollowsTheWindowAndSurvivesZeroHeight) {
  scene_reshape(320, 0);
  GLfloat p[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  for (float v : p) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(p[0], p[5]) << "no height: a square aspect";
  EXPECT_EQ(scene_state.window_height, 0);
  scene_reshape(640, 360);
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[5], 1.0f, 1e-6);          // 90 degrees: cot(45) = 1
  EXPECT_NEAR(p[0], 360.0f / 640.0f, 1e-6);
  // The whole matrix: a plain perspective (no shear, no shift) whose depth
  // range runs from 1 unit in front of the eye (NDC -1) to 65536 (NDC +1).
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p[i], 0.0f) << i;
  EXPECT_EQ(p[11], -1.0f);
  const auto depth = [&](double z) { return (p[10] * z + p[14]) / (p[11] * z + p[15]); };
  EXPECT_NEAR(depth(-1.0), -1.0, 1e-4);
  EXPECT_NEAR(depth(-65536.0), 1.0, 1e-5);
  EXPECT_LT(depth(-0.9), -1.0) << "nearer than one unit is cut";
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 360);
}

TEST(SceneSetUp, AMissingPictureEndsTheProcessWithCode1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  temp_dir empty;
  EXPECT_EXIT(
      {
        setenv("ORVANE_DATA_DIR", empty.path().c_str(), 1);
        scene_init();
      },
      ::testing::ExitedWithCode(1), "Texture setup error\\. main\\.cpp, [0-9]+");
}

TEST(SceneSetUp, AMissingTitlePictureEndsTheProcessWithCode1Too) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* data = getenv("ORVANE_DATA_DIR");
  ASSERT_NE(nullptr, data) << "ctest sets the generated data folder";
  temp_dir sprite_only;
  write_file_bytes(sprite_only.file("supernova.ppm"),
                   read_file_bytes(std::string(data) + "/supernova.ppm"));
  EXPECT_EXIT(
      {
        setenv("ORVANE_DATA_DIR", sprite_only.path().c_str(), 1);
        scene_init();
      },
      ::testing::ExitedWithCode(1),
      "Cannot open texure file [^\n]*/Orvane\\.ppm\nTexture setup error\\. main\\.cpp, [0-9]+");
}

TEST(SceneSetUp, FullScreenSettingGoesThroughTheHook) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // In a child, so the real set-up runs against its own working directory.
  EXPECT_EXIT(
      {
        temp_dir work;
        write_file_bytes(work.file("basic.config"), "FullScreen\t1\n");
        if (chdir(work.path().c_str()) != 0) exit(3);
        static int calls = 0;
        full_screen_hook = [] { ++calls; };
        scene_init();
        exit(calls == 1 && !scene_state.full_screen ? 0 : 4);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
