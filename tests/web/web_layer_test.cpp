// The web layer's batches as the page's frame makes them: the title, the
// sprites each under its own matrix, the frame-rate label's state around
// them; and the rules for the page's resolution and for narrow screens.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "web_batch.h"
#include "web_view.h"

namespace {

struct draw {
  web_draw_state state;
  std::vector<web_vertex> vertices;
};
std::vector<draw> draws;

void record(const web_draw_state& state, const web_vertex* v, int count) {
  draws.push_back({state, std::vector<web_vertex>(v, v + count)});
}

void square() {
  web_begin(GL_TRIANGLE_STRIP);
  web_tex_coord2f(1, 1);
  web_vertex3f(-1, -1, 0);
  web_tex_coord2f(0, 1);
  web_vertex3f(1, -1, 0);
  web_tex_coord2f(1, 0);
  web_vertex3f(-1, 1, 0);
  web_tex_coord2f(0, 0);
  web_vertex3f(1, 1, 0);
  web_end();
}

// The frame's calls in the scene's order, with three sprites for 1024.
void frame(bool label) {
  web_matrix_mode(GL_MODELVIEW);
  web_load_identity();
  web_translatef(0, 0, -20);
  web_push_matrix();
  web_enable(GL_TEXTURE_2D);
  web_translatef(16, -9, 0);
  web_rotatef(180, 0, 1, 0);
  web_bind_texture(GL_TEXTURE_2D, 5);
  square();
  web_disable(GL_TEXTURE_2D);
  web_pop_matrix();
  web_tex_envf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_DECAL));
  web_push_matrix();
  web_enable(GL_TEXTURE_2D);
  for (int i = 0; i < 3; ++i) {
    web_push_matrix();
    web_translatef(static_cast<float>(i), 2, 3);
    web_scalef(0.5f, 0.5f, 0.5f);
    web_bind_texture(GL_TEXTURE_2D, 0);
    web_blend_func(GL_ONE, GL_ONE);
    web_color4f(1, 1, 1, 0.5f);
    square();
    web_pop_matrix();
  }
  web_disable(GL_TEXTURE_2D);
  web_pop_matrix();
  if (!label) return;
  // What draw_fps_label does around its text, with a square for the text.
  web_push_attrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  web_disable(GL_LIGHTING);
  web_disable(GL_TEXTURE_2D);
  web_matrix_mode(GL_PROJECTION);
  web_push_matrix();
  web_load_identity();
  web_ortho(0, 640, 0, 360, -1, 1);
  web_matrix_mode(GL_MODELVIEW);
  web_push_matrix();
  web_load_identity();
  web_color3f(1, 1, 0.4f);
  square();
  web_pop_matrix();
  web_matrix_mode(GL_PROJECTION);
  web_pop_matrix();
  web_matrix_mode(GL_MODELVIEW);
  web_pop_attrib();
}

class WebBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    web_batch_reset();
    draws.clear();
    web_set_draw_sink(record);
    web_enable(GL_BLEND);
    web_enable(GL_LIGHTING);  // as the scene's set-up leaves it
    web_matrix_mode(GL_PROJECTION);
    web_perspective(90, 16.0 / 9.0, 1, 65536);
  }
};

TEST_F(WebBatch, AFrameIsOneDrawPerStateAndTheLabelLeavesTheStateAsItFoundIt) {
  frame(true);
  frame(false);
  web_flush();
  // Title, sprites, label, then the next frame's title and sprites.
  ASSERT_EQ(draws.size(), 5u);
  const draw &title = draws[0], &sprites = draws[1], &label = draws[2];
  EXPECT_TRUE(title.state.texture_on);
  EXPECT_EQ(title.state.texture, 5u);
  EXPECT_EQ(title.state.env_mode, static_cast<GLenum>(GL_MODULATE));
  EXPECT_EQ(sprites.state.texture, 0u);
  EXPECT_EQ(sprites.state.env_mode, static_cast<GLenum>(GL_DECAL));
  EXPECT_EQ(sprites.state.blend_dst, static_cast<GLenum>(GL_ONE));
  EXPECT_FALSE(label.state.texture_on);
  EXPECT_FLOAT_EQ(label.state.projection[0], 2.0f / 640);
  EXPECT_EQ(draws[3].state.projection[0], title.state.projection[0]);
  EXPECT_TRUE(draws[3].state.texture_on);
  EXPECT_EQ(draws[4].vertices.size(), sprites.vertices.size());

  // Two triangles a square; each corner in eye space, in the strip's order.
  ASSERT_EQ(title.vertices.size(), 6u);
  ASSERT_EQ(sprites.vertices.size(), 18u);
  const float title_first[4] = {17, -10, -20, 1};  // the half turn mirrors x
  const float last_sprite[3][4] = {{1.5f, 2.5f, -17, 1}, {2.5f, 1.5f, -17, 1}, {2.5f, 2.5f, -17, 1}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(title.vertices[0].eye[k], title_first[k], 1e-5) << k;
    // The last sprite's second triangle runs 2, 1, 3 to keep the strip's turn.
    EXPECT_NEAR(sprites.vertices[15].eye[k], last_sprite[0][k], 1e-5) << k;
    EXPECT_NEAR(sprites.vertices[16].eye[k], last_sprite[1][k], 1e-5) << k;
    EXPECT_NEAR(sprites.vertices[17].eye[k], last_sprite[2][k], 1e-5) << k;
  }
  EXPECT_EQ(sprites.vertices[17].tex[0], 0.0f);
  EXPECT_EQ(sprites.vertices[17].color[3], 0.5f);
  EXPECT_EQ(label.vertices[0].color[2], 0.4f);
  EXPECT_EQ(draws[3].vertices[0].color[2], 1.0f);  // the label's colour was popped
  EXPECT_TRUE(web_is_enabled(GL_LIGHTING));
  EXPECT_EQ(web_take_layer_error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WebBatch, WhatTheBatchDependsOnSplitsItAndStackLimitsAreErrors) {
  web_enable(GL_TEXTURE_2D);
  square();
  web_bind_texture(GL_TEXTURE_2D, 0);  // as bound: the same batch
  square();
  web_blend_func(GL_SRC_ALPHA, GL_ONE);
  square();
  web_enable(GL_FOG);
  square();
  web_flush();
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].vertices.size(), 12u);
  EXPECT_TRUE(draws[2].state.fog);

  web_matrix_mode(GL_MODELVIEW);
  for (int i = 0; i < 31; ++i) web_push_matrix();
  EXPECT_EQ(web_take_layer_error(), static_cast<GLenum>(GL_NO_ERROR));
  web_push_matrix();
  EXPECT_EQ(web_take_layer_error(), static_cast<GLenum>(0x0503));
  web_enable(GL_TEXTURE_GEN_S);
  EXPECT_EQ(web_take_layer_error(), static_cast<GLenum>(GL_INVALID_ENUM));
}

// Frames `interval` ms apart for `ms` milliseconds.
double run(web_resolution& rule, double from, double interval, double ms) {
  for (double t = from; t < from + ms; t += interval) rule.frame(t);
  return from + ms;
}

TEST(WebView, ASlowFrameDrawsSmallerAndAFastOneBringsItBackToTheScreensPixels) {
  web_resolution rule;
  double t = run(rule, 0, 50, 4 * 50);  // the start's frames are not judged
  EXPECT_EQ(rule.scale, 1.0);
  t = run(rule, t, 50, 600);  // 20 frames a second: aim at 36
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0));
  t = run(rule, t, 25, 2000);  // 40: between the bounds, left alone
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0));
  t = run(rule, t, 10, 600);  // 100: a seventh finer
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0) * 8 / 7);
  t = run(rule, t, 10, 3000);
  EXPECT_EQ(rule.scale, 1.0);  // and never finer than the screen
  run(rule, t, 2000, 20000);
  EXPECT_EQ(rule.scale, 0.25);  // nor coarser than a quarter of its side
}

TEST(WebView, NarrowScreensKeepTheWidthOfASixteenByNineWindow) {
  EXPECT_EQ(web_narrow_view_scale(1280, 720), 1.0);
  EXPECT_EQ(web_narrow_view_scale(3840, 1080), 1.0);
  EXPECT_DOUBLE_EQ(web_narrow_view_scale(480, 640), 0.75 * 9 / 16);
  EXPECT_EQ(web_narrow_view_scale(640, 0), 1.0);
}

}  // namespace
