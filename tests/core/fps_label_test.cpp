// The frame-rate label: what it hands the host's font routine, in which GL
// state, and that the scene's state is the same afterwards.
#include "fps_label.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gl_test_env.h"
#include "main.h"

namespace {

struct seen_call {
  int calls = 0;
  std::string text;
  float x = 0, y = 0;
  GLboolean lighting = GL_TRUE, texturing = GL_TRUE;
  GLfloat colour[4] = {};
  GLfloat projection[16] = {};
};
seen_call seen;

void record_text(float x, float y, const char* text) {
  ++seen.calls;
  seen.text = text;
  seen.x = x;
  seen.y = y;
  seen.lighting = glIsEnabled(GL_LIGHTING);
  seen.texturing = glIsEnabled(GL_TEXTURE_2D);
  glGetFloatv(GL_CURRENT_COLOR, seen.colour);
  glGetFloatv(GL_PROJECTION_MATRIX, seen.projection);
}

class FpsLabel : public ::testing::Test {
 protected:
  void SetUp() override {
    seen = seen_call{};
    scene_state.fps_enabled = 1;
    std::strcpy(scene_state.fps_text, "61.349693 FPS\n");
    scene_state.window_width = 640;
    scene_state.window_height = 360;
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(2.0f, 3.0f, 4.0f);
    glMatrixMode(GL_MODELVIEW);
  }
  void TearDown() override {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    scene_state.fps_text[0] = '\0';
  }
};

TEST_F(FpsLabel, DrawsTheRateWithoutItsLineFeedTopLeftInPlainYellowPixels) {
  draw_fps_label(record_text);
  ASSERT_EQ(1, seen.calls);
  EXPECT_EQ("61.349693 FPS", seen.text);
  EXPECT_FLOAT_EQ(8.0f, seen.x);
  EXPECT_FLOAT_EQ(340.0f, seen.y);
  EXPECT_FALSE(seen.lighting);
  EXPECT_FALSE(seen.texturing);
  EXPECT_FLOAT_EQ(1.0f, seen.colour[0]);
  EXPECT_FLOAT_EQ(1.0f, seen.colour[1]);
  EXPECT_FLOAT_EQ(0.4f, seen.colour[2]);
  // One unit per window pixel, origin bottom left.
  EXPECT_FLOAT_EQ(2.0f / 640, seen.projection[0]);
  EXPECT_FLOAT_EQ(2.0f / 360, seen.projection[5]);
  EXPECT_FLOAT_EQ(-1.0f, seen.projection[12]);
  EXPECT_FLOAT_EQ(-1.0f, seen.projection[13]);
}

TEST_F(FpsLabel, LeavesTheScenesStateAsItFoundIt) {
  draw_fps_label(record_text);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLfloat colour[4], projection[16];
  GLint mode = 0;
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_FLOAT_EQ(0.3f, colour[1]);
  EXPECT_FLOAT_EQ(0.5f, colour[3]);
  EXPECT_FLOAT_EQ(2.0f, projection[0]);
  EXPECT_FLOAT_EQ(4.0f, projection[10]);
  EXPECT_EQ(GL_MODELVIEW, mode);
  EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(FpsLabel, NothingWhileTheMeterIsOffOrHasNoRateYet) {
  scene_state.fps_enabled = 0;
  draw_fps_label(record_text);
  scene_state.fps_enabled = 1;
  scene_state.fps_text[0] = '\0';
  draw_fps_label(record_text);
  EXPECT_EQ(0, seen.calls);
}

}  // namespace
