#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {
namespace {

// Our own geometric letterforms: each glyph is a few centre-line strokes in font
// units, baseline at y = 0, x-height 68, cap height 100, y pointing up.
struct point {
  float x, y;
};
using stroke = std::vector<point>;
using glyph = std::vector<stroke>;

const float kPi = 3.14159265358979f;
const float kHalfWidth = 6.5f;  // half the pen width, font units

// Elliptical arc from angle a0 to a1 (degrees, counter-clockwise positive).
stroke arc(float cx, float cy, float rx, float ry, float a0, float a1) {
  const int steps = std::max(4, static_cast<int>(std::fabs(a1 - a0) / 4.0f));
  stroke s;
  for (int i = 0; i <= steps; ++i) {
    const float a = (a0 + (a1 - a0) * i / steps) * kPi / 180.0f;
    s.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return s;
}

glyph letter(char c) {
  switch (c) {
    case 'O':
      return {arc(38, 50, 38, 50, 0, 360)};
    case 'r':
      return {{{0, 0}, {0, 68}}, arc(26, 40, 26, 26, 180, 40)};
    case 'v':
      return {{{0, 68}, {27, 0}, {54, 68}}};
    case 'a':
      return {arc(28, 34, 28, 34, 0, 360), {{56, 68}, {56, 0}}};
    case 'n':
      return {{{0, 0}, {0, 68}}, arc(26, 40, 26, 28, 180, 0), {{52, 40}, {52, 0}}};
    case 'e':
      return {{{0, 34}, {56, 34}}, arc(28, 34, 28, 34, 0, 320)};
    default:
      return {};
  }
}

struct placed_glyph {
  std::vector<std::pair<point, point>> segments;  // in pixels, y down
  float x0, y0, x1, y1;                           // ink box in pixels
};

float smooth_cut(float d, float reach) {
  if (d >= reach) return 0.0f;
  const float k = 1.0f - d / reach;
  return k * k;
}

}  // namespace

picture make_title() {
  const int size = 512;
  const char* text = "Orvane";
  const float gap = 17.0f;          // between ink boxes, font units
  const float text_width = 400.0f;  // pixels, leaves room for the halo
  const float halo_reach = 44.0f;   // pixels; the halo is exactly 0 beyond this

  std::vector<glyph> glyphs;
  std::vector<float> left, right;
  float total = 0.0f;
  for (const char* c = text; *c; ++c) {
    glyphs.push_back(letter(*c));
    float lo = 1e9f, hi = -1e9f;
    for (const stroke& s : glyphs.back())
      for (const point& p : s) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    left.push_back(lo - kHalfWidth);
    right.push_back(hi + kHalfWidth);
    total += right.back() - left.back() + (c == text ? 0.0f : gap);
  }
  const float scale = text_width / total;
  const float origin_x = (size - text_width) * 0.5f;
  const float baseline = size * 0.5f + 50.0f * scale;  // centre the cap height
  const float pen = kHalfWidth * scale;

  std::vector<placed_glyph> placed;
  float cursor = 0.0f;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    placed_glyph g{{}, 1e9f, 1e9f, -1e9f, -1e9f};
    const float shift = cursor - left[i];
    for (const stroke& s : glyphs[i]) {
      for (size_t k = 0; k + 1 < s.size(); ++k) {
        const point a = {origin_x + (s[k].x + shift) * scale, baseline - s[k].y * scale};
        const point b = {origin_x + (s[k + 1].x + shift) * scale, baseline - s[k + 1].y * scale};
        g.segments.push_back({a, b});
        g.x0 = std::min({g.x0, a.x, b.x}), g.x1 = std::max({g.x1, a.x, b.x});
        g.y0 = std::min({g.y0, a.y, b.y}), g.y1 = std::max({g.y1, a.y, b.y});
      }
    }
    placed.push_back(g);
    cursor += right[i] - left[i] + gap;
  }

  picture pic(size, size);
  const float core[3] = {0.97f, 0.93f, 1.00f};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      float d = 1e9f;
      for (const placed_glyph& g : placed) {
        const float margin = pen + halo_reach;
        if (px < g.x0 - margin || px > g.x1 + margin || py < g.y0 - margin || py > g.y1 + margin)
          continue;
        for (const auto& s : g.segments)
          d = std::min(d, segment_distance(px, py, s.first.x, s.first.y, s.second.x, s.second.y));
      }
      const float outside = std::max(0.0f, d - pen);
      const float ink = std::clamp(pen + 0.5f - d, 0.0f, 1.0f);
      // A tight bright rim plus a wide faint haze, both cut to zero at halo_reach.
      const float halo = (0.85f * std::exp(-outside / 5.0f) + 0.45f * std::exp(-outside / 20.0f)) *
                         smooth_cut(outside, halo_reach);
      // Halo colour drifts from violet on the left to teal on the right.
      const float u = std::clamp((px - origin_x) / text_width, 0.0f, 1.0f);
      const float hue[3] = {0.70f - 0.60f * u, 0.30f + 0.45f * u, 1.00f - 0.12f * u};
      float* out = pic.at(x, y);
      for (int k = 0; k < 3; ++k) out[k] = ink * core[k] + (1.0f - ink) * halo * hue[k];
    }
  }
  return pic;
}

}  // namespace assetgen
