// The pictures, tune and icon that ship with the saver, all drawn or composed
// here so that every build makes the same bytes from nothing but this code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Linear RGB picture, row 0 at the top, channels nominally 0..1.
struct picture {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;

  picture(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0.0f) {}
  float* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const float* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// 0..1 to a byte; anything at or below zero is exactly 0 so black stays black.
uint8_t to_byte(float v);

// Plain-text "P3" file, max 255, lines short enough for the saver's line reader.
std::string encode_ppm(const picture& pic);

picture make_sprite(int size);  // the soft nebula glow every star is drawn with
picture make_title();           // "Orvane" glowing on black, 512 x 512
std::string make_tune();        // Standard MIDI File, format 1
std::string make_icon();        // .ico with 32 x 32 and 16 x 16 BGRA images

// Distance from (px, py) to the segment a-b.
float segment_distance(float px, float py, float ax, float ay, float bx, float by);

}  // namespace assetgen
