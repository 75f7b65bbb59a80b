#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {
namespace {

struct colour {
  float r, g, b;
};

colour mix(colour a, colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// White-hot centre cooling outwards through violet and blue into teal.
colour glow_ramp(float t) {
  static const struct {
    float at;
    colour c;
  } stops[] = {
      {0.00f, {1.00f, 1.00f, 1.00f}}, {0.14f, {0.96f, 0.86f, 1.00f}},
      {0.32f, {0.72f, 0.42f, 1.00f}}, {0.52f, {0.32f, 0.40f, 1.00f}},
      {0.74f, {0.10f, 0.62f, 0.82f}}, {1.00f, {0.04f, 0.42f, 0.55f}},
  };
  const int n = sizeof stops / sizeof stops[0];
  for (int i = 1; i < n; ++i) {
    if (t <= stops[i].at) {
      return mix(stops[i - 1].c, stops[i].c,
                 (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    }
  }
  return stops[n - 1].c;
}

}  // namespace

picture make_sprite(int size) {
  picture pic(size, size);
  const float centre = (size - 1) * 0.5f;
  // The glow dies out at 80% of the half-size: sprites are added with no depth
  // test, so anything above zero near the border would draw the square's outline.
  const float reach = 0.80f * size * 0.5f;
  const colour warm = {1.00f, 0.56f, 0.34f};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float dx = x - centre, dy = y - centre;
      const float r = std::hypot(dx, dy) / reach;
      if (r >= 1.0f) continue;
      const float a = std::atan2(dy, dx);
      // A few fixed ripples in angle make the rim wispy rather than a perfect disc.
      const float wobble = 0.04f * std::sin(3 * a + 0.7f) + 0.035f * std::sin(5 * a + 2.1f) +
                           0.02f * std::sin(8 * a + 4.0f);
      const float t = std::clamp(r * (1.0f + wobble * r), 0.0f, 1.0f);
      const float envelope = std::pow(1.0f - t * t, 2.5f);
      const float core = std::exp(-(t / 0.13f) * (t / 0.13f));
      const float warmth = 0.35f * (0.6f + 0.4f * std::cos(2 * a - 0.6f)) *
                           std::exp(-((t - 0.45f) / 0.22f) * ((t - 0.45f) / 0.22f));
      const colour c = mix(glow_ramp(t), warm, warmth);
      // Exposure curve instead of clipping, so the white heart has no hard rim.
      const auto expose = [](float v) { return 1.0f - std::exp(-2.2f * v); };
      float* px = pic.at(x, y);
      px[0] = expose(c.r * envelope + 0.8f * core);
      px[1] = expose(c.g * envelope + 0.8f * core);
      px[2] = expose(c.b * envelope + 0.8f * core);
    }
  }
  return pic;
}

}  // namespace assetgen
