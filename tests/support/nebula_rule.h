// The "nebula on the screen" rule of nebula_rule.env, as the shell and the
// web tests use it; CMake's nebula_rule() hands in its numbers.
#pragma once

struct nebula_box {
  double left, top, right, bottom;  // fractions of the picture's size
};

constexpr nebula_box percent_box(double l, double t, double r, double b) {
  return {l / 100, t / 100, r / 100, b / 100};
}

constexpr nebula_box nebula_title_box = percent_box(NEBULA_TITLE_BOX);
constexpr nebula_box nebula_cloud_box = percent_box(NEBULA_CLOUD_BOX);
constexpr double nebula_title_least = NEBULA_TITLE_MIN / 1000.0;  // share of lit pixels
constexpr double nebula_cloud_least = NEBULA_CLOUD_MIN / 1000.0;
constexpr int nebula_lit_level = NEBULA_LIT_LEVEL;  // luma, 0 to 255
