// Text drawing, read back through feedback mode and the current state.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "gl_feedback.h"
#include "gl_test_env.h"
#include "tools/text_drawing.h"

namespace {

class TextDrawing : public ::testing::Test {
 protected:
  void SetUp() override { reset_drawing_state(); }
};

std::vector<float> get4(GLenum what) {
  std::vector<float> v(4);
  glGetFloatv(what, v.data());
  return v;
}

std::vector<float> bitmap_x(const std::vector<fb_primitive>& prims) {
  std::vector<float> xs;
  for (const auto& p : prims)
    if (p.token == GL_BITMAP_TOKEN) xs.push_back(p.v[0].x);
  return xs;
}

}  // namespace

TEST_F(TextDrawing, BitmapTextLeavesRasterPositionAndColourAsTheyWere) {
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  glRasterPos2f(0.25f, 0.5f);
  const auto colour = get4(GL_CURRENT_COLOR);
  const auto raster = get4(GL_CURRENT_RASTER_POSITION);
  const auto raster_colour = get4(GL_CURRENT_RASTER_COLOR);
  glColor4f(0.9f, 0.8f, 0.7f, 0.6f);  // the colour a caller might set for the text
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  for (const char* text : {"Hello", ""}) {
    draw_bitmap_text(-0.5f, -0.5f, GLUT_BITMAP_8_BY_13, text);
    EXPECT_EQ(colour, get4(GL_CURRENT_COLOR)) << text;
    EXPECT_EQ(raster, get4(GL_CURRENT_RASTER_POSITION)) << text;
    EXPECT_EQ(raster_colour, get4(GL_CURRENT_RASTER_COLOR)) << text;
  }
}

TEST_F(TextDrawing, BitmapGlyphsStartAtThePositionAndAdvance) {
  const double span = 4.0;
  auto prims =
      capture_feedback([] { draw_bitmap_text(-2.0f, 1.0f, GLUT_BITMAP_8_BY_13, "Hi!"); }, span);
  auto xs = bitmap_x(prims);
  ASSERT_EQ(3u, xs.size());
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float pixel = static_cast<float>(2.0 * span / viewport[2]);
  EXPECT_NEAR(-2.0f, xs[0], 1e-4);
  EXPECT_NEAR(1.0f, prims[0].v[0].y, 1e-4);
  EXPECT_NEAR(8 * pixel, xs[1] - xs[0], 1e-4);
  EXPECT_NEAR(8 * pixel, xs[2] - xs[1], 1e-4);

  EXPECT_TRUE(capture_feedback([] { draw_bitmap_text(0, 0, GLUT_BITMAP_8_BY_13, ""); }).empty());
}

// Bytes above 127 reach the font as negative codes, which GLUT fonts skip:
// no glyph and no advance.
TEST_F(TextDrawing, BytesAbove127AreSkippedByTheFont) {
  auto plain =
      bitmap_x(capture_feedback([] { draw_bitmap_text(-2.0f, 0.0f, GLUT_BITMAP_8_BY_13, "AB"); }));
  auto accented = bitmap_x(capture_feedback([] {
    draw_bitmap_text(-2.0f, 0.0f, GLUT_BITMAP_8_BY_13,
                     "A\xE9\xFF"
                     "B");
  }));
  EXPECT_EQ(plain, accented);

  EXPECT_TRUE(capture_feedback([] {
                draw_stroke_text(0, 0, 0.01f, 0.01f, GLUT_STROKE_ROMAN, "\xC4\x80");
              }).empty());
}

TEST_F(TextDrawing, StrokeTextIsPlacedScaledAndLeavesTheMatrix) {
  glTranslatef(0.5f, 0.0f, 0.0f);
  glRotatef(10.0f, 0.0f, 0.0f, 1.0f);
  std::vector<float> before(16), after(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
  draw_stroke_text(1.0f, 2.0f, 0.01f, 0.02f, GLUT_STROKE_ROMAN, "Orvane");
  glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
  EXPECT_EQ(before, after);

  glLoadIdentity();
  // "I" in the roman stroke font is one vertical line from the baseline up.
  auto prims =
      capture_feedback([] { draw_stroke_text(1.0f, -2.0f, 0.01f, 0.02f, GLUT_STROKE_ROMAN, "I"); });
  ASSERT_FALSE(prims.empty());
  float lowest = 1e9f, highest = -1e9f;
  for (const auto& v : all_vertices(prims)) {
    EXPECT_NEAR(1.0f + 0.01f * 10.0f, v.x, 0.5f * 0.01f * 10.0f);
    lowest = std::min(lowest, v.y);
    highest = std::max(highest, v.y);
  }
  EXPECT_NEAR(-2.0f, lowest, 0.02f * 2.0f);
  EXPECT_GT(highest - lowest, 0.02f * 80.0f) << "glyphs are about 100 units high";

  EXPECT_TRUE(
      capture_feedback([] { draw_stroke_text(0, 0, 1, 1, GLUT_STROKE_ROMAN, ""); }).empty());
}
