#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {

uint8_t to_byte(float v) {
  if (!(v > 0.0f)) return 0;
  return static_cast<uint8_t>(std::lround(std::min(v, 1.0f) * 255.0f));
}

std::string encode_ppm(const picture& pic) {
  // The saver reads 79 characters of a line at a time; stay well inside that.
  const size_t max_line = 69;
  std::string out =
      "P3\n" + std::to_string(pic.width) + " " + std::to_string(pic.height) + "\n255\n";
  std::string line;
  for (float v : pic.rgb) {
    std::string token = std::to_string(to_byte(v));
    if (!line.empty() && line.size() + 1 + token.size() > max_line) {
      out += line + "\n";
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += token;
  }
  if (!line.empty()) out += line + "\n";
  return out;
}

float segment_distance(float px, float py, float ax, float ay, float bx, float by) {
  const float dx = bx - ax, dy = by - ay;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace assetgen
