// The viewer's options for the toolkit and its pointer routing, on the record.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "main.h"
#include "tools/logo.h"
#include "viewer_input.h"
#include "viewer_options.h"
#include "viewer_scenes.h"

namespace {

bool parse(std::vector<const char*> args, viewer_options* o, std::string* error) {
  args.insert(args.begin(), "orvane-viewer");
  return parse_viewer_options(static_cast<int>(args.size()), args.data(), o, error);
}

class ViewerPointer : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_.resize(sizeof scene_state);
    std::memcpy(saved_.data(), &scene_state, sizeof scene_state);
    scene_state.window_width = 640;
    scene_state.window_height = 360;
  }
  void TearDown() override {
    // Let go of every button so the next test starts without a drag.
    for (int b = GLUT_LEFT_BUTTON; b <= GLUT_RIGHT_BUTTON; ++b) viewer_mouse(b, GLUT_UP, 0, 0);
    std::memcpy(static_cast<void*>(&scene_state), saved_.data(), sizeof scene_state);
  }
  std::vector<unsigned char> saved_;
};

}  // namespace

TEST(ViewerToolkitOptions, ModesAndOverlayAreFlags) {
  viewer_options o;
  std::string error;
  ASSERT_TRUE(
      parse({"--show-fps", "--gallery", "--frames", "3", "--capture", "g.ppm"}, &o, &error));
  EXPECT_TRUE(o.show_fps);
  EXPECT_TRUE(o.gallery);
  EXPECT_FALSE(o.logo);
  EXPECT_EQ(3, o.frames);

  viewer_options l;
  ASSERT_TRUE(parse({"--logo"}, &l, &error));
  EXPECT_TRUE(l.logo);
  EXPECT_FALSE(l.show_fps);

  viewer_options both;
  EXPECT_FALSE(parse({"--gallery", "--logo"}, &both, &error));
  EXPECT_NE(std::string::npos, error.find("--gallery"));

  const std::string usage = viewer_usage();
  for (const char* word : {"--show-fps", "--gallery", "--logo", "left", "middle", "right"})
    EXPECT_NE(std::string::npos, usage.find(word)) << word;
}

TEST_F(ViewerPointer, ButtonsChooseTheDragAndReleaseEndsIt) {
  viewer_mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 300);
  EXPECT_TRUE(scene_state.drag_zoom);
  EXPECT_FALSE(scene_state.drag_pan);
  EXPECT_EQ(50, scene_state.drag_last_x);
  EXPECT_EQ(300, scene_state.drag_last_y);
  viewer_motion(50, 120);
  for (float s : scene_state.world_scale) EXPECT_FLOAT_EQ(2.0f, s);
  viewer_mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 50, 120);
  EXPECT_FALSE(scene_state.drag_zoom);
  // Motion with no button down is not a drag.
  viewer_motion(400, 10);
  for (float s : scene_state.world_scale) EXPECT_FLOAT_EQ(2.0f, s);
  EXPECT_EQ(50, scene_state.drag_last_x);

  viewer_mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 40);
  EXPECT_TRUE(scene_state.drag_pan);
  EXPECT_FALSE(scene_state.drag_zoom);
  viewer_motion(420, 40);
  EXPECT_FLOAT_EQ(-16.0f, scene_state.world_offset[0]);
  viewer_mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 420, 40);

  const float yaw = scene_state.cloud_yaw;
  viewer_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
  EXPECT_FALSE(scene_state.drag_pan || scene_state.drag_zoom);
  viewer_motion(20, 10);
  EXPECT_NE(yaw, scene_state.cloud_yaw);
  viewer_mouse(GLUT_LEFT_BUTTON, GLUT_UP, 20, 10);
}

TEST_F(ViewerPointer, WheelStepsAreNotDragsAndHeldButtonsTakeOver) {
  viewer_mouse(3, GLUT_DOWN, 5, 5);
  viewer_mouse(3, GLUT_UP, 5, 5);
  EXPECT_EQ(0, scene_state.drag_last_x);
  viewer_motion(100, 100);
  EXPECT_FLOAT_EQ(1.0f, scene_state.world_scale[0]);
  EXPECT_EQ(0.0f, scene_state.world_offset[0]);

  viewer_mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
  viewer_mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 30, 30);
  EXPECT_TRUE(scene_state.drag_zoom);
  viewer_mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 40, 50);
  // The left button is still down: turning again, from where the pointer is.
  EXPECT_FALSE(scene_state.drag_zoom || scene_state.drag_pan);
  EXPECT_EQ(40, scene_state.drag_last_x);
  EXPECT_EQ(50, scene_state.drag_last_y);
  const float pitch = scene_state.cloud_pitch;
  viewer_motion(40, 60);
  EXPECT_NE(pitch, scene_state.cloud_pitch);
}

TEST(ViewerKeys, CapturesWaitForTheNextFrameOthersActAtOnce) {
  temp_dir dir;
  const auto old_dir = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const int fps = scene_state.fps_enabled, frame = scene_state.frame_count;
  scene_state.frame_count = 42;

  viewer_key('b', 0, 0);
  viewer_key('g', 0, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing before the frame is drawn";
  viewer_key('p', 0, 0);
  EXPECT_EQ(fps ? 0 : 1, scene_state.fps_enabled);
  {
    stream_capture quiet(1);
    run_pending_captures();
    run_pending_captures();  // each key captures once
  }
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(3, files);
  EXPECT_TRUE(std::filesystem::exists("frame_00000042.bmp"));
  EXPECT_TRUE(std::filesystem::exists("frame_00000042.ppm"));
  EXPECT_TRUE(std::filesystem::exists("frame_histgram_00000042.ppm"));

  std::filesystem::current_path(old_dir);
  scene_state.fps_enabled = fps;
  scene_state.frame_count = frame;
}

namespace {

std::vector<GLfloat> projection() {
  std::vector<GLfloat> p(16);
  glGetFloatv(GL_PROJECTION_MATRIX, p.data());
  return p;
}

}  // namespace

// The gallery looks through a narrower lens than the nebula; the logo through
// an orthographic box 10 units high that keeps the window's aspect.
TEST(ViewerScenes, GalleryAndLogoViewsReadBackWhole) {
  gallery_reshape(640, 360);
  std::vector<GLfloat> p = projection();
  const double cot20 = 1.0 / std::tan(20.0 * M_PI / 180.0);
  EXPECT_NEAR(cot20, p[5], 1e-5);
  EXPECT_NEAR(cot20 * 360.0 / 640.0, p[0], 1e-5);
  EXPECT_NEAR(-101.0 / 99.0, p[10], 1e-5);  // depth from 1 to 100 units
  EXPECT_NEAR(-200.0 / 99.0, p[14], 1e-5);
  EXPECT_EQ(640, scene_state.window_width);

  logo_reshape(640, 360);
  p = projection();
  const std::vector<GLfloat> ortho = {360.0f / 3200.0f, 0, 0, 0, 0, 0.2f, 0, 0,
                                      0, 0, -0.2f, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(ortho[i], p[i], 1e-6) << i;
  logo_reshape(640, 0);  // no aspect: the last view stays
  EXPECT_EQ(p, projection());
  EXPECT_EQ(0, scene_state.window_height);
  scene_reshape(640, 360);
}

TEST(ViewerScenes, LogoCardShowsThePictureUpright) {
  reset_drawing_state();
  // A picture whose first row (its top, as the loaders store it) is red and
  // whose second is green.
  const unsigned char rows[2][2][3] = {{{255, 0, 0}, {255, 0, 0}}, {{0, 255, 0}, {0, 255, 0}}};
  glGenTextures(1, &logo_texture);
  glBindTexture(GL_TEXTURE_2D, logo_texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, rows);
  for (GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
    glTexParameteri(GL_TEXTURE_2D, p, GL_NEAREST);
  make_logo_list();
  logo_reshape(640, 360);
  logo_position[0] = logo_position[1] = 0.0f;
  logo_draw();
  // The card spans 3 of the view's 10 units in height, around the middle.
  unsigned char top[3], bottom[3];
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(320, 180 + 40, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, top);
  glReadPixels(320, 180 - 40, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, bottom);
  EXPECT_EQ(255, top[0]);
  EXPECT_EQ(0, top[1]);
  EXPECT_EQ(0, bottom[0]);
  EXPECT_EQ(255, bottom[1]);
  std::vector<GLfloat> texture(16);
  glGetFloatv(GL_TEXTURE_MATRIX, texture.data());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(i % 5 == 0 ? 1.0f : 0.0f, texture[i]) << i;
  glDeleteLists(logo_list, 1);
  glDeleteTextures(1, &logo_texture);
  scene_reshape(640, 360);
}
