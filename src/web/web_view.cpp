#include "web_view.h"

#include <cmath>

namespace {

constexpr int settling_frames = 3;
constexpr double window_ms = 500.0;
constexpr double least_rate = 30.0, aimed_rate = 36.0, roomy_rate = 50.0;
constexpr double step_up = 8.0 / 7.0;
constexpr double coarsest = 0.25;
constexpr double widest_aspect = 16.0 / 9.0;

}  // namespace

bool web_resolution::frame(double now_ms) {
  if (++frames_seen <= settling_frames || window_frames == 0) {
    window_start = now_ms;
    window_frames = frames_seen > settling_frames ? 1 : 0;
    return false;
  }
  ++window_frames;
  const double elapsed = now_ms - window_start;
  if (elapsed < window_ms) return false;
  const double rate = (window_frames - 1) * 1000.0 / elapsed;
  window_frames = 1;
  window_start = now_ms;
  double wanted = scale;
  if (rate < least_rate)
    wanted = scale * std::sqrt(rate / aimed_rate);
  else if (rate >= roomy_rate)
    wanted = scale * step_up;
  if (wanted > 1.0) wanted = 1.0;
  if (wanted < coarsest) wanted = coarsest;
  if (wanted == scale) return false;
  scale = wanted;
  return true;
}

double web_narrow_view_scale(int width, int height) {
  if (width <= 0 || height <= 0) return 1.0;
  const double aspect = static_cast<double>(width) / height;
  return aspect < widest_aspect ? aspect / widest_aspect : 1.0;
}
