// Developer keys and pointer drags on a real GLUT window.
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "main.h"
#include "tools/dev_commands.h"

namespace {
int redisplay_requests = 0;
}  // namespace

// The requests themselves, counted on their way to freeglut: the displays that
// follow cannot be counted, since the window system adds its own whenever
// another window (another test program's) uncovers ours.
void glutPostRedisplay() {
  ++redisplay_requests;
  static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutPostRedisplay"));
  if (real) real();
}

namespace {

// A byte copy of the whole scene record, to see that nothing else changed.
std::vector<unsigned char> snapshot() {
  std::vector<unsigned char> bytes(sizeof scene_state);
  std::memcpy(bytes.data(), &scene_state, sizeof scene_state);
  return bytes;
}

std::set<std::string> files_in(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

// Keys write into the working directory: run them inside a temporary one.
class DevKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    saved_ = snapshot();
    redisplay_requests = 0;
  }
  void TearDown() override {
    std::filesystem::current_path(old_dir_);
    dev_quit_hook = nullptr;
    std::memcpy(static_cast<void*>(&scene_state), saved_.data(), sizeof scene_state);
  }
  temp_dir dir_;
  std::filesystem::path old_dir_;
  std::vector<unsigned char> saved_;
};

int quits = 0;
void count_quit() { ++quits; }

}  // namespace

TEST_F(DevKeys, CaptureFileNamesCarryTheFrameCount) {
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  {
    stream_capture quiet(1);
    scene_state.frame_count = 7;
    dev_key_command('g');
    scene_state.frame_count = 1234;
    dev_key_command('b');
    scene_state.frame_count = 123456789;
    dev_key_command('b');
  }
  EXPECT_EQ((std::set<std::string>{"frame_00000007.ppm", "frame_histgram_00000007.ppm",
                                   "frame_00001234.bmp", "frame_123456789.bmp"}),
            files_in(dir_.path()));
  const int w = glutGet(GLUT_WINDOW_WIDTH), h = glutGet(GLUT_WINDOW_HEIGHT);
  const std::string header = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  EXPECT_EQ(header.size() + static_cast<size_t>(w) * h * 3,
            read_file_bytes("frame_00000007.ppm").size());
  EXPECT_EQ(0u, read_file_bytes("frame_00000007.ppm").find(header));
  EXPECT_EQ(0u, read_file_bytes("frame_histgram_00000007.ppm").find("P6\n256 256\n255\n"));
  EXPECT_EQ(0u, read_file_bytes("frame_00001234.bmp").find("BM"));
  EXPECT_EQ(3, redisplay_requests);
}

TEST_F(DevKeys, MeterKeyToggles) {
  for (int start : {0, 1}) {
    scene_state.fps_enabled = start;
    dev_key_command('p');
    EXPECT_EQ(1 - start, scene_state.fps_enabled);
    dev_key_command('p');
    EXPECT_EQ(start, scene_state.fps_enabled);
  }
  scene_state.fps_enabled = 5;
  dev_key_command('p');
  EXPECT_EQ(0, scene_state.fps_enabled);
}

TEST_F(DevKeys, FullScreenKeyAlternates) {
  resize_test_window(320, 200);
  scene_state.full_screen = false;
  scene_state.window_width = 320;
  scene_state.window_height = 200;

  dev_key_command('f');
  // The record follows at once, before GLUT reports the new size.
  EXPECT_EQ(640, scene_state.window_width);
  EXPECT_EQ(360, scene_state.window_height);
  EXPECT_TRUE(scene_state.full_screen);
  auto placed = [](int x, int y, int w, int h) {
    return pump_until([=] {
      return glutGet(GLUT_WINDOW_X) == x && glutGet(GLUT_WINDOW_Y) == y &&
             glutGet(GLUT_WINDOW_WIDTH) == w && glutGet(GLUT_WINDOW_HEIGHT) == h;
    });
  };
  EXPECT_TRUE(placed(0, 64, 640, 360));

  dev_key_command('f');
  EXPECT_FALSE(scene_state.full_screen);
  EXPECT_TRUE(pump_until([] {
    return glutGet(GLUT_SCREEN_WIDTH) == glutGet(GLUT_WINDOW_WIDTH) &&
           glutGet(GLUT_SCREEN_HEIGHT) == glutGet(GLUT_WINDOW_HEIGHT);
  }));

  dev_key_command('f');
  EXPECT_TRUE(scene_state.full_screen);
  EXPECT_TRUE(placed(0, 64, 640, 360));

  glutPositionWindow(0, 0);
  resize_test_window(640, 360);
}

TEST_F(DevKeys, UnlistedKeysOnlyAskForARedisplay) {
  for (int key : {'B', 'F', 'G', 'P', 'x', ' ', '0', '\r', '\0', '\xC8', '\xFF'}) {
    SCOPED_TRACE(static_cast<int>(key));
    const auto before = snapshot();
    redisplay_requests = 0;
    dev_key_command(key);
    EXPECT_EQ(before, snapshot());
    EXPECT_EQ(1, redisplay_requests);
  }
  EXPECT_TRUE(files_in(dir_.path()).empty());
}

TEST_F(DevKeys, QuitKeysGoToTheExitPathWithoutRedisplay) {
  dev_quit_hook = count_quit;
  quits = 0;
  const auto before = snapshot();
  for (char key : {'\x1B', 'q', 'Q'}) dev_key_command(key);
  EXPECT_EQ(3, quits);
  EXPECT_EQ(before, snapshot());
  EXPECT_EQ(0, redisplay_requests);
}

TEST(DevKeysDeathTest, QuitWithoutHookExitsWithStatusZeroThroughTheDestructors) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  dev_quit_hook = nullptr;
  // The scene's texture objects say goodbye on standard output, and only on
  // the runtime's exit path; send it where the death test looks.
  for (unsigned char key : {'\x1B', 'q', 'Q'}) {
    EXPECT_EXIT(
        {
          dup2(2, 1);
          dev_key_command(key);
        },
        ::testing::ExitedWithCode(0),
        "destructor was called in qxtexture\\.h, [0-9]+\n"
        "DEBUG: destructor was called in qxtexture\\.h, [0-9]+\n"
        "DEBUG: destructor was called in qxtexture\\.h")
        << static_cast<int>(key);
  }
}

// Pointer drags, on the record alone.
class DevDrag : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = snapshot();
    scene_state.window_width = 640;
    scene_state.window_height = 360;
    scene_state.drag_zoom = false;
    scene_state.drag_pan = false;
  }
  void TearDown() override {
    std::memcpy(static_cast<void*>(&scene_state), saved_.data(), sizeof scene_state);
  }
  void start(int x, int y) {
    scene_state.drag_last_x = x;
    scene_state.drag_last_y = y;
  }
  std::vector<unsigned char> saved_;
};

TEST_F(DevDrag, ZoomMultipliesTheScale) {
  scene_state.drag_zoom = true;
  scene_state.drag_pan = true;  // zoom wins
  start(50, 300);
  dev_pointer_drag(50, 120);
  for (float s : scene_state.world_scale) EXPECT_FLOAT_EQ(2.0f, s);
  EXPECT_EQ(0.0f, scene_state.world_offset[0]);

  for (float& s : scene_state.world_scale) s = 1.0f;
  start(50, 300);
  dev_pointer_drag(50, 210);
  dev_pointer_drag(50, 120);
  for (float s : scene_state.world_scale) EXPECT_FLOAT_EQ(2.25f, s);
  EXPECT_EQ(50, scene_state.drag_last_x);
  EXPECT_EQ(120, scene_state.drag_last_y);
}

TEST_F(DevDrag, PanAddsUpOverTheEvents) {
  scene_state.drag_pan = true;
  start(100, 40);
  dev_pointer_drag(420, 40);
  EXPECT_FLOAT_EQ(-16.0f, scene_state.world_offset[0]);
  EXPECT_EQ(0.0f, scene_state.world_offset[1]);

  scene_state.world_offset[0] = 0.0f;
  start(100, 40);
  for (int x : {137, 300, 301, 420}) dev_pointer_drag(x, 40);
  EXPECT_NEAR(-16.0f, scene_state.world_offset[0], 1e-5);

  start(0, 360);
  dev_pointer_drag(0, 0);
  EXPECT_NEAR(32.0f, scene_state.world_offset[1], 1e-5) << "full height up moves 32 units";
  EXPECT_EQ(0.0f, scene_state.world_offset[2]);
}

TEST_F(DevDrag, SamePositionOrEmptyWindowChangesOnlyTheRecordedPosition) {
  for (int mode = 0; mode < 3; ++mode) {
    scene_state.drag_zoom = mode == 0;
    scene_state.drag_pan = mode == 1;
    start(10, 20);
    dev_pointer_drag(200, 100);
    auto before = snapshot();
    dev_pointer_drag(200, 100);
    EXPECT_EQ(before, snapshot()) << "mode " << mode;

    for (auto size : {std::pair{0, 360}, std::pair{640, 0}, std::pair{0, 0}}) {
      scene_state.window_width = size.first;
      scene_state.window_height = size.second;
      dev_pointer_drag(200, 100);
      before = snapshot();
      dev_pointer_drag(310, 5);
      EXPECT_EQ(310, scene_state.drag_last_x);
      EXPECT_EQ(5, scene_state.drag_last_y);
      scene_state.drag_last_x = 200;
      scene_state.drag_last_y = 100;
      EXPECT_EQ(before, snapshot())
          << "mode " << mode << " size " << size.first << "x" << size.second;
      for (float s : scene_state.world_scale) EXPECT_TRUE(std::isfinite(s));
    }
    scene_state.window_width = 640;
    scene_state.window_height = 360;
  }
}

namespace {

// The cloud rotation the frame applies (pitch about x, then yaw about y), as
// OpenGL composes it; column-major.
std::vector<float> cloud_rotation() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRotatef(scene_state.cloud_pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(scene_state.cloud_yaw, 0.0f, 1.0f, 0.0f);
  std::vector<float> m(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  glPopMatrix();
  return m;
}

// The point of the cloud's unit sphere that faces the eye now.
std::vector<float> facing_point() {
  auto m = cloud_rotation();
  return {m[2], m[6], m[10]};  // the rotation's inverse applied to (0, 0, 1)
}

// Where a cloud point appears in eye space (x right, y up).
std::pair<float, float> on_screen(const std::vector<float>& p) {
  auto m = cloud_rotation();
  return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2], m[1] * p[0] + m[5] * p[1] + m[9] * p[2]};
}

}  // namespace

TEST_F(DevDrag, RotationMovesTheNearSideWithThePointer) {
  for (float pitch : {0.0f, 30.0f, -60.0f, 150.0f, 200.0f, -170.0f, 400.0f}) {
    SCOPED_TRACE(pitch);
    scene_state.cloud_pitch = pitch;
    scene_state.cloud_yaw = 1.0f;
    start(320, 180);
    auto near = facing_point();
    auto before = on_screen(near);
    dev_pointer_drag(330, 180);  // right
    auto after = on_screen(near);
    EXPECT_GT(after.first, before.first + 0.01f);
    EXPECT_NEAR(10 * 128.0 / 640, std::fabs(scene_state.cloud_yaw - 1.0f), 1e-4);
    EXPECT_EQ(pitch, scene_state.cloud_pitch);

    near = facing_point();
    before = on_screen(near);
    dev_pointer_drag(330, 190);  // down; window y grows downwards
    after = on_screen(near);
    EXPECT_LT(after.second, before.second - 0.01f);
    EXPECT_NEAR(pitch + 10 * 128.0 / 360, scene_state.cloud_pitch, 1e-4);
  }
}
