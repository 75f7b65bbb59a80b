// Frame capture: PPM and BMP dumps of the window and its colour histograms.
#include "qxdump.h"

#include <GL/freeglut.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "diag/source_location.h"
#include "gl_headers.h"

namespace {

// Beyond this many pixels the int32 counts could wrap, and no window gets there.
constexpr std::int64_t max_pixels = std::numeric_limits<std::int32_t>::max();
constexpr int histogram_size = 256;
constexpr std::int64_t bmp_header_bytes = 54;

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

// A zeroed array of count elements, or null when it cannot be had; a count
// that is negative or too large for memory is refused rather than wrapped.
template <typename T>
std::unique_ptr<T[]> obtain(std::int64_t count) {
  constexpr std::int64_t limit =
      static_cast<std::int64_t>(std::numeric_limits<std::ptrdiff_t>::max() / sizeof(T));
  if (count <= 0 || count > limit) return nullptr;
  return std::unique_ptr<T[]>(new (std::nothrow) T[static_cast<std::size_t>(count)]());
}

// As above, reporting a failure with the caller's place (pass DIAG_HERE).
template <typename T>
std::unique_ptr<T[]> obtain(std::int64_t count, const char* file, int line) {
  std::unique_ptr<T[]> p = obtain<T>(count);
  if (!p) std::fprintf(stderr, "cannot allocate image buffer. %s, %d\n", file, line);
  return p;
}

// Elements of a w x h buffer with per_pixel elements each, or -1 when too many.
std::int64_t pixel_elements(std::int64_t w, std::int64_t h, int per_pixel) {
  if (w <= 0 || h <= 0 || w > max_pixels / h) return -1;
  return w * h * per_pixel;
}

// A minimised or not yet shown window reports no pixels; reading them is pointless.
bool report_empty(std::int64_t w, std::int64_t h) {
  if (w > 0 && h > 0) return false;
  std::fprintf(stderr, "##error: nothing to capture, the region is %lld x %lld.\n",
               static_cast<long long>(w), static_cast<long long>(h));
  return true;
}

void window_size(int* w, int* h) {
  *w = glutGet(GLUT_WINDOW_WIDTH);
  *h = glutGet(GLUT_WINDOW_HEIGHT);
}

// Reads tightly packed rows. A row length or skip left set by someone else
// would make the read run past our buffer, so those are cleared as well, and
// everything is put back afterwards.
void read_pixels(int x, int y, int w, int h, GLenum format, std::uint8_t* out) {
  GLint alignment = 4, row_length = 0, skip_rows = 0, skip_pixels = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &row_length);
  glGetIntegerv(GL_PACK_SKIP_ROWS, &skip_rows);
  glGetIntegerv(GL_PACK_SKIP_PIXELS, &skip_pixels);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  glReadPixels(x, y, w, h, format, GL_UNSIGNED_BYTE, out);
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  glPixelStorei(GL_PACK_ROW_LENGTH, row_length);
  glPixelStorei(GL_PACK_SKIP_ROWS, skip_rows);
  glPixelStorei(GL_PACK_SKIP_PIXELS, skip_pixels);
}

// Writes the P6 header and leaves the file open for the pixels. The first two
// lines go through a text stream; "255" and the pixels through a binary one,
// so the pixels follow a bare line feed on every platform.
file_ptr open_ppm(const char* path, int width, int height) {
  file_ptr text(std::fopen(path, "w"));
  if (!text) {
    std::fprintf(stderr, "can't open %s\n", path);
    return nullptr;
  }
  std::fprintf(text.get(), "P6\n");
  std::fprintf(text.get(), "%d %d\n", width, height);
  if (std::fclose(text.release()) != 0) {
    std::fprintf(stderr, "can't write %s\n", path);
    return nullptr;
  }

  file_ptr binary(std::fopen(path, "ab"));
  if (!binary) {
    std::fprintf(stderr, "can't reopen %s for appending\n", path);
    return nullptr;
  }
  std::fputc('2', binary.get());
  std::fputc('5', binary.get());
  std::fputc('5', binary.get());
  std::fputc(0x0A, binary.get());
  return binary;
}

// Closes a file that was written, and says whether everything reached it.
bool close_written(file_ptr file, const char* path) {
  const bool written = !std::ferror(file.get()) && std::fclose(file.release()) == 0;
  if (!written) std::fprintf(stderr, "can't write %s\n", path);
  return written;
}

}  // namespace

bool count_colour_values(std::int32_t blue[256], std::int32_t green[256], std::int32_t red[256]) {
  int w, h;
  window_size(&w, &h);
  if (report_empty(w, h)) return false;
  auto capture = obtain<std::uint8_t>(pixel_elements(w, h, 3), DIAG_HERE);
  if (!capture) return false;
  read_pixels(0, 0, w, h, GL_RGB, capture.get());

  for (int v = 0; v < histogram_size; ++v) blue[v] = green[v] = red[v] = 0;
  const std::uint8_t* end = capture.get() + pixel_elements(w, h, 3);
  for (const std::uint8_t* p = capture.get(); p != end; p += 3) {
    ++red[p[0]];
    ++green[p[1]];
    ++blue[p[2]];
  }
  return true;
}

void put_le16(std::uint16_t value, std::FILE* stream) {
  std::fputc(value & 0xFF, stream);
  std::fputc((value >> 8) & 0xFF, stream);
}

void put_le32(std::uint32_t value, std::FILE* stream) {
  for (int shift = 0; shift < 32; shift += 8) std::fputc((value >> shift) & 0xFF, stream);
}

bool dump_frame_ppm(const char* path, int format) {
  int w, h;
  window_size(&w, &h);
  if (format != 3 && format != 4) {
    std::fprintf(stderr, "##error: un-supported format.\n");
    std::fprintf(stderr, "##error: %d,%d,%d \n", w, h, format);
    return false;
  }
  if (report_empty(w, h)) return false;

  auto capture = obtain<std::uint8_t>(pixel_elements(w, h, 3), DIAG_HERE);
  if (!capture) return false;
  if (format == 3) {
    read_pixels(0, 0, w, h, GL_RGB, capture.get());
    std::printf("DEBUG: now dumping to \"%s\".\n", path);
  } else {
    auto rgba = obtain<std::uint8_t>(pixel_elements(w, h, 4), DIAG_HERE);
    if (!rgba) return false;
    read_pixels(0, 0, w, h, GL_RGBA, rgba.get());
    std::printf("now export framebuffer format and dumping.\n");
    const std::int64_t pixels = pixel_elements(w, h, 1);
    for (std::int64_t i = 0; i < pixels; ++i) std::memcpy(&capture[i * 3], &rgba[i * 4], 3);
  }

  file_ptr file = open_ppm(path, w, h);
  if (!file) return false;
  const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
  for (int r = 0; r < h; ++r)  // the window's top row comes first
    std::fwrite(&capture[static_cast<std::size_t>(h - 1 - r) * row_bytes], 1, row_bytes,
                file.get());
  std::printf("dump finished.\n");
  return close_written(std::move(file), path);
}

void save_frame_bmp(const char* path) {
  int w, h;
  window_size(&w, &h);
  if (report_empty(w, h)) return;  // before opening, so no empty file is left
  file_ptr file(std::fopen(path, "wb"));
  if (!file) {
    std::fprintf(stderr, "can't open %s\n", path);
    return;
  }
  write_bmp(file.get(), 0, 0, w, h);
}

void write_bmp(std::FILE* stream, int x0, int y0, int x1, int y1) {
  // Widened so that no pair of ints can wrap.
  const std::int64_t w = static_cast<std::int64_t>(x1) - x0;
  const std::int64_t h = static_cast<std::int64_t>(y1) - y0;
  if (report_empty(w, h)) return;
  const std::int64_t padding = w % 4;
  const std::int64_t stored_row = 3 * w + padding;  // a whole number of 4-byte words
  // The size field has 32 bits; a region that cannot fit in it is refused.
  const std::int64_t max_file = std::numeric_limits<std::uint32_t>::max();
  std::unique_ptr<std::uint8_t[]> pixels;
  if (h <= (max_file - bmp_header_bytes) / stored_row)
    pixels = obtain<std::uint8_t>(pixel_elements(w, h, 3));
  if (!pixels) {
    std::fprintf(stderr, "cannot allocate image buffer\n");
    return;
  }
  read_pixels(x0, y0, static_cast<int>(w), static_cast<int>(h), GL_RGB, pixels.get());

  std::fputc('B', stream);
  std::fputc('M', stream);
  put_le32(static_cast<std::uint32_t>(stored_row * h + bmp_header_bytes), stream);
  put_le16(0, stream);
  put_le16(0, stream);
  put_le32(static_cast<std::uint32_t>(bmp_header_bytes), stream);
  put_le32(40, stream);
  put_le32(static_cast<std::uint32_t>(w), stream);
  put_le32(static_cast<std::uint32_t>(h), stream);  // positive: bottom row first
  put_le16(1, stream);
  put_le16(24, stream);
  put_le32(0, stream);
  put_le32(0, stream);
  put_le32(2835, stream);  // 72 dots per inch
  put_le32(2835, stream);
  put_le32(0, stream);
  put_le32(0, stream);

  // Blue first: swapped in place so that each row goes out in one write
  // (a call per byte made a full-HD frame take a tenth of a second).
  const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
  std::uint8_t* const end = pixels.get() + row_bytes * static_cast<std::size_t>(h);
  for (std::uint8_t* p = pixels.get(); p != end; p += 3) std::swap(p[0], p[2]);
  const std::uint8_t zeros[3] = {0, 0, 0};
  for (const std::uint8_t* row = pixels.get(); row != end; row += row_bytes) {
    std::fwrite(row, 1, row_bytes, stream);
    std::fwrite(zeros, 1, static_cast<std::size_t>(padding), stream);
  }
}

void dump_histogram_ppm(const char* path) {
  constexpr int n = histogram_size;
  int w, h;
  window_size(&w, &h);

  auto blue_counts = obtain<std::int32_t>(n, DIAG_HERE);
  if (!blue_counts) return;
  auto green_counts = obtain<std::int32_t>(n, DIAG_HERE);
  if (!green_counts) return;
  auto red_counts = obtain<std::int32_t>(n, DIAG_HERE);
  if (!red_counts) return;
  auto blue_plane = obtain<std::int32_t>(n * n, DIAG_HERE);
  if (!blue_plane) return;
  auto green_plane = obtain<std::int32_t>(n * n, DIAG_HERE);
  if (!green_plane) return;
  auto red_plane = obtain<std::int32_t>(n * n, DIAG_HERE);
  if (!red_plane) return;

  // Bars from counts that were never set would be garbage; draw nothing instead.
  if (!count_colour_values(blue_counts.get(), green_counts.get(), red_counts.get())) {
    std::fprintf(stderr, "##error: no colour counts, histogram \"%s\" not written.\n", path);
    return;
  }

  const std::int32_t* counts[3] = {red_counts.get(), green_counts.get(), blue_counts.get()};
  std::int32_t* planes[3] = {red_plane.get(), green_plane.get(), blue_plane.get()};
  std::int64_t maximum[3] = {0, 0, 0};
  for (int c = 0; c < 3; ++c)
    for (int v = 0; v < n; ++v)
      if (counts[c][v] > maximum[c]) maximum[c] = counts[c][v];

  for (int x = 0; x < w; ++x) {
    const int value = static_cast<int>(static_cast<std::int64_t>(x) * n / w);
    // The planes have 256 columns: a wider window shows each value once, in
    // its own column, so every value still appears.
    const int column = w > n ? value : x;
    for (int c = 0; c < 3; ++c) {
      if (maximum[c] == 0) continue;
      // 64-bit: a large frame's count times 256 overflows 32 bits.
      const std::int64_t height = counts[c][value] * std::int64_t{n} / maximum[c];
      for (std::int64_t y = 0; y < height; ++y) planes[c][y * n + column] = 255;
    }
  }

  auto picture = obtain<std::uint8_t>(n * n * 3, DIAG_HERE);
  if (!picture) return;
  std::printf("#DEBUG: now dumping to \"%s\".\n", path);
  for (int i = 0; i < n * n; ++i) {
    picture[i * 3 + 0] = static_cast<std::uint8_t>(red_plane[i] & 0xFF);
    picture[i * 3 + 1] = static_cast<std::uint8_t>(green_plane[i] & 0xFF);
    picture[i * 3 + 2] = static_cast<std::uint8_t>(blue_plane[i] & 0xFF);
  }

  file_ptr file = open_ppm(path, n, n);
  if (!file) return;
  for (int row = n - 1; row >= 0; --row)  // bars rise from the bottom edge
    std::fwrite(&picture[row * n * 3], 1, n * 3, file.get());
}
