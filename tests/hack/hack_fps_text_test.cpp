// The hack's frame-rate label as it lands on the picture: the X server's
// "fixed" glyphs in the label's yellow, at its place top left, pixel for pixel.
#include <gtest/gtest.h>
// After gtest: Xlib defines None.
#include <GL/glx.h>

#include <cstring>
#include <string>
#include <vector>

#include "fps_label.h"
#include "gl_test_env.h"
#include "main.h"
#include "x_font_text.h"

namespace {

// Top row first: '#' the label's yellow (255, 255, 102), '.' the black
// ground, '?' anything else. Xvfb's "fixed" is the 6 x 13 misc-fixed face.
const char* const kRateLabel =
    "........................................................................................\n"
    "........................................................................................\n"
    ".........###....#.........#####....#...###...###...###..#####.......#####.####...###....\n"
    "........#...#..##.............#....#..#...#.#...#.#...#.....#.......#.....#...#.#...#...\n"
    "........#.....#.#............#....##..#...#.#.....#...#....#........#.....#...#.#.......\n"
    "........#.......#...........#....#.#..#...#.#.....#...#...#.........#.....#...#.#.......\n"
    "........####....#..........###...#.#...####.####...####..###........####..####...###....\n"
    "........#...#...#.............#.#..#......#.#...#.....#.....#.......#.....#.........#...\n"
    "........#...#...#.............#.#####.....#.#...#.....#.....#.......#.....#.........#...\n"
    "........#...#...#.....#...#...#....#..#...#.#...#.#...#.#...#.......#.....#.....#...#...\n"
    ".........###..#####..###...###.....#...###...###...###...###........#.....#......###....\n"
    "......................#.................................................................\n"
    "........................................................................................\n"
    "........................................................................................\n";

std::string label_pixels(int left, int bottom, int width, int height) {
  std::vector<unsigned char> rgb(3 * width * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(left, bottom, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  std::string art;
  for (int row = height - 1; row >= 0; --row) {
    for (int col = 0; col < width; ++col) {
      const unsigned char* p = &rgb[3 * (row * width + col)];
      const bool yellow = p[0] == 255 && p[1] == 255 && p[2] == 102;
      const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
      art += yellow ? '#' : black ? '.' : '?';
    }
    art += '\n';
  }
  return art;
}

TEST(HackFpsText, TheRateIsTheServersFixedGlyphsPixelForPixel) {
  reset_drawing_state();
  load_x_font_text(glXGetCurrentDisplay());
  glViewport(0, 0, 640, 360);
  scene_state.window_width = 640;
  scene_state.window_height = 360;
  scene_state.fps_enabled = 1;
  std::strcpy(scene_state.fps_text, "61.349693 FPS\n");
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  draw_fps_label(draw_x_font_text);
  // The baseline is 20 pixels under the top, the text 8 in from the left.
  EXPECT_EQ(kRateLabel, label_pixels(0, 360 - 22, 88, 14));
  scene_state.fps_text[0] = '\0';
}

}  // namespace
