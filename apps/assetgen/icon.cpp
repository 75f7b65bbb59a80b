#include <algorithm>
#include <cmath>

#include "assets.h"

namespace assetgen {
namespace {

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

// One icon image as the .ico format stores it: a BITMAPINFOHEADER whose height
// counts the colour rows and the mask rows, BGRA rows bottom-up, then the AND mask.
std::string icon_image(int size) {
  const int sub = 4;  // supersampling per axis for smooth edges at 16 x 16
  const float half = size * 0.5f;
  const float ring_r = 0.56f * half;
  const float ring_w = std::max(0.13f * half, 1.1f);  // half thickness, pixels
  std::vector<float> rgba(static_cast<size_t>(size) * size * 4, 0.0f);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float acc[4] = {0, 0, 0, 0};
      for (int sy = 0; sy < sub; ++sy) {
        for (int sx = 0; sx < sub; ++sx) {
          const float dx = x + (sx + 0.5f) / sub - half, dy = y + (sy + 0.5f) / sub - half;
          const float r = std::hypot(dx, dy);
          const float off = std::fabs(r - ring_r);
          // Layers, back to front: a night-sky disc so the glow reads on light
          // desktops too, the ring's soft glow with a bright heart, the ring.
          const float disc = r <= 0.94f * half ? 1.0f : 0.0f;
          const float ring = off <= ring_w ? 1.0f : 0.0f;
          const float glow = std::max(0.0f, 1.0f - off / (0.42f * half));
          const float heart = std::sqrt(std::max(0.0f, 1.0f - r / (0.30f * half)));
          const float u = (dx / half + 1.0f) * 0.5f;  // violet on the left, teal on the right
          const float glow_c[3] = {0.78f - 0.62f * u, 0.30f + 0.55f * u, 1.0f};
          const float sky[3] = {0.03f, 0.02f, 0.10f};
          const float g = std::max(0.9f * std::pow(glow, 1.5f), heart);
          float alpha = disc;
          float c[3];
          for (int k = 0; k < 3; ++k) {
            const float glow_k = heart >= g ? 1.0f : glow_c[k];
            c[k] = disc * sky[k] * (1.0f - g) + g * glow_k;
            c[k] = c[k] * (1.0f - ring) + ring * (0.55f * glow_c[k] + 0.45f);
            acc[k] += c[k];
          }
          alpha = alpha + (1.0f - alpha) * g;
          alpha = alpha * (1.0f - ring) + ring;
          acc[3] += alpha;
        }
      }
      float* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
      const float n = static_cast<float>(sub * sub);
      p[3] = acc[3] / n;
      // The format wants straight alpha: undo the weighting by coverage.
      for (int k = 0; k < 3; ++k) p[k] = p[3] > 0.0f ? acc[k] / n / p[3] : 0.0f;
    }
  }

  const int mask_stride = ((size + 31) / 32) * 4;
  const uint32_t pixel_bytes = static_cast<uint32_t>(size * size * 4);
  const uint32_t mask_bytes = static_cast<uint32_t>(mask_stride * size);
  std::string out;
  put32(out, 40);
  put32(out, static_cast<uint32_t>(size));
  put32(out, static_cast<uint32_t>(size * 2));
  put16(out, 1);   // planes
  put16(out, 32);  // bits per pixel
  put32(out, 0);   // BI_RGB
  put32(out, pixel_bytes + mask_bytes);
  put32(out, 0), put32(out, 0), put32(out, 0), put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const float* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
      out += static_cast<char>(to_byte(p[2]));
      out += static_cast<char>(to_byte(p[1]));
      out += static_cast<char>(to_byte(p[0]));
      out += static_cast<char>(to_byte(p[3]));
    }
  }
  // AND mask: set where fully transparent, for readers that ignore alpha.
  for (int y = size - 1; y >= 0; --y) {
    std::string row(static_cast<size_t>(mask_stride), '\0');
    for (int x = 0; x < size; ++x) {
      if (to_byte(rgba[(static_cast<size_t>(y) * size + x) * 4 + 3]) == 0)
        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    out += row;
  }
  return out;
}

}  // namespace

std::string make_icon() {
  const int sizes[] = {32, 16};
  std::vector<std::string> images;
  for (int s : sizes) images.push_back(icon_image(s));
  std::string out;
  put16(out, 0);  // reserved
  put16(out, 1);  // icon
  put16(out, static_cast<unsigned>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out += static_cast<char>(sizes[i]);
    out += static_cast<char>(sizes[i]);
    out += '\0';  // no palette
    out += '\0';
    put16(out, 1);
    put16(out, 32);
    put32(out, static_cast<uint32_t>(images[i].size()));
    put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& img : images) out += img;
  return out;
}

}  // namespace assetgen
