// Frame capture against a real window: draw known pixels into the back buffer
// (the read buffer of a double-buffered window), dump, read the files back.
#include "qxdump.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "gl_headers.h"
#include "gl_test_env.h"

// Refusing one chosen allocation is the only way to reach the out-of-memory
// paths; only the capture code asks for arrays without exceptions.
namespace {
int refuse_index = -1;
int nothrow_arrays = 0;
}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (nothrow_arrays++ == refuse_index) return nullptr;
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

struct refuse_allocation {
  explicit refuse_allocation(int index) {
    nothrow_arrays = 0;
    refuse_index = index;
  }
  ~refuse_allocation() { refuse_index = -1; }
};

struct rgb {
  int r, g, b;
};

constexpr char ppm_header_640[] = "P6\n640 360\n255\n";
constexpr char histogram_header[] = "P6\n256 256\n255\n";

void show_window(int w, int h) {
  resize_test_window(w, h);
  glDisable(GL_SCISSOR_TEST);
  glDrawBuffer(GL_BACK);
  glReadBuffer(GL_BACK);
}

void fill(rgb c) {
  glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void fill_rect(int x, int y, int w, int h, rgb c) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, w, h);
  fill(c);
  glDisable(GL_SCISSOR_TEST);
}

// Draws w x h RGB pixels, bottom row first, at the window's lower-left corner.
void draw_pixels(int w, int h, const std::vector<std::uint8_t>& pixels) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRasterPos2f(-1.0f, -1.0f);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

std::string bytes_of(rgb c) {
  return {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
}
std::string bgr_of(rgb c) {
  return {static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
}
std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Frames are large: name the first differing byte instead of diffing whole strings.
::testing::AssertionResult same_bytes(const std::string& got, const std::string& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " bytes, expected " << want.size();
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return ::testing::AssertionFailure() << "byte " << i << " is " << int(std::uint8_t(got[i]))
                                           << ", expected " << int(std::uint8_t(want[i]));
  return ::testing::AssertionSuccess();
}

std::uint32_t le32_at(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + i]);
  return v;
}
std::uint16_t le16_at(const std::string& s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) |
                                    static_cast<std::uint8_t>(s[at + 1]) << 8);
}

bool exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

// A histogram picture as the file stores it: top row first.
struct histogram {
  std::string pixels = std::string(256 * 256 * 3, '\0');
  // Raises a bar of the given height (rows from the bottom) in one channel.
  void bar(int column, int height, int channel) {
    for (int y = 0; y < height; ++y) pixels[((255 - y) * 256 + column) * 3 + channel] = '\xff';
  }
  void full(int column, rgb c) {
    if (c.r) bar(column, 256, 0);
    if (c.g) bar(column, 256, 1);
    if (c.b) bar(column, 256, 2);
  }
};

// Compares a histogram file with the expected picture, naming the first bad pixel.
void expect_histogram(const std::string& file, const histogram& want) {
  ASSERT_EQ(file.size(), sizeof histogram_header - 1 + want.pixels.size());
  EXPECT_EQ(file.substr(0, sizeof histogram_header - 1), histogram_header);
  const std::string got = file.substr(sizeof histogram_header - 1);
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want.pixels[i]) {
      ADD_FAILURE() << "first difference at picture row " << 255 - i / 3 / 256
                    << " (from the bottom), column " << i / 3 % 256 << ", channel " << i % 3;
      return;
    }
  }
}

std::string dump_histogram(const temp_dir& dir, std::string* out = nullptr) {
  const std::string path = dir.file("h.ppm");
  stream_capture stdout_capture(1);
  dump_histogram_ppm(path.c_str());
  const std::string printed = stdout_capture.text();
  EXPECT_EQ(printed, "#DEBUG: now dumping to \"" + path + "\".\n");
  if (out) *out = printed;
  return read_file_bytes(path);
}

GLint pack_alignment() {
  GLint a = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &a);
  return a;
}

TEST(frame_ppm, header_rows_formats_and_lines) {
  show_window(640, 360);
  const rgb top{200, 30, 90}, bottom{10, 220, 40};
  fill(bottom);
  fill_rect(0, 180, 640, 180, top);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  temp_dir dir;

  const std::string p3 = dir.file("f3.ppm"), p4 = dir.file("f4.ppm"), p5 = dir.file("f5.ppm");
  {
    stream_capture out(1);
    dump_frame_ppm(p3.c_str(), 3);
    EXPECT_EQ(out.text(), "DEBUG: now dumping to \"" + p3 + "\".\ndump finished.\n");
  }
  EXPECT_EQ(pack_alignment(), 8);
  const std::string file = read_file_bytes(p3);
  const std::size_t header = sizeof ppm_header_640 - 1;
  ASSERT_EQ(file.size(), header + 691200);
  EXPECT_EQ(file.substr(0, header), ppm_header_640);
  EXPECT_TRUE(same_bytes(file.substr(header, 640 * 3 * 180), repeat(bytes_of(top), 640 * 180)));
  EXPECT_TRUE(same_bytes(file.substr(header + 640 * 3 * 180), repeat(bytes_of(bottom), 640 * 180)));

  {
    stream_capture out(1);
    dump_frame_ppm(p4.c_str(), 4);
    EXPECT_EQ(out.text(), "now export framebuffer format and dumping.\ndump finished.\n");
  }
  EXPECT_EQ(pack_alignment(), 8);
  EXPECT_TRUE(same_bytes(read_file_bytes(p4), file));

  {
    stream_capture out(1), err(2);
    dump_frame_ppm(p5.c_str(), 5);
    EXPECT_EQ(err.text(), "##error: un-supported format.\n##error: 640,360,5 \n");
    EXPECT_EQ(out.text(), "");
  }
  EXPECT_FALSE(exists(p5));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(frame_bmp, header_fields_rows_and_channels) {
  show_window(640, 360);
  const rgb top{200, 30, 90}, bottom{10, 220, 40};
  fill(bottom);
  fill_rect(0, 180, 640, 180, top);
  glPixelStorei(GL_PACK_ALIGNMENT, 2);
  temp_dir dir;
  const std::string path = dir.file("f.bmp");
  {
    stream_capture out(1), err(2);
    save_frame_bmp(path.c_str());
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(err.text(), "");
  }
  EXPECT_EQ(pack_alignment(), 2);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);

  const std::string f = read_file_bytes(path);
  ASSERT_EQ(f.size(), 691254u);
  EXPECT_EQ(f.substr(0, 2), "BM");
  EXPECT_EQ(le32_at(f, 2), 691254u);
  EXPECT_EQ(le32_at(f, 6), 0u);  // both reserved fields
  EXPECT_EQ(le32_at(f, 10), 54u);
  EXPECT_EQ(le32_at(f, 14), 40u);
  EXPECT_EQ(le32_at(f, 18), 640u);
  EXPECT_EQ(le32_at(f, 22), 360u);
  EXPECT_EQ(le16_at(f, 26), 1u);
  EXPECT_EQ(le16_at(f, 28), 24u);
  EXPECT_EQ(le32_at(f, 30), 0u);
  EXPECT_EQ(le32_at(f, 34), 0u);
  EXPECT_EQ(le32_at(f, 38), 2835u);
  EXPECT_EQ(le32_at(f, 42), 2835u);
  EXPECT_EQ(le32_at(f, 46), 0u);
  EXPECT_EQ(le32_at(f, 50), 0u);
  // Bottom row first, blue first, no padding at a width that is a multiple of 4.
  EXPECT_TRUE(same_bytes(f.substr(54, 640 * 3 * 180), repeat(bgr_of(bottom), 640 * 180)));
  EXPECT_TRUE(same_bytes(f.substr(54 + 640 * 3 * 180), repeat(bgr_of(top), 640 * 180)));
}

TEST(frame_capture, narrow_windows_pad_bmp_rows_only) {
  const int stored_rows[] = {16, 20, 24, 24};
  for (int w = 5; w <= 8; ++w) {
    SCOPED_TRACE("width " + std::to_string(w));
    const int h = 4;
    show_window(w, h);
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), w);
    // Each column its own colour, so a row that is shifted or cut shows up.
    std::vector<std::uint8_t> pixels;
    std::string ppm_row, bmp_row;
    for (int x = 0; x < w; ++x) {
      const rgb c{20 * x + 1, 30 * x + 2, 40 * x + 3};
      ppm_row += bytes_of(c);
      bmp_row += bgr_of(c);
    }
    for (int y = 0; y < h; ++y)
      for (char b : ppm_row) pixels.push_back(static_cast<std::uint8_t>(b));
    draw_pixels(w, h, pixels);
    bmp_row += std::string(w % 4, '\0');
    ASSERT_EQ(static_cast<int>(bmp_row.size()), stored_rows[w - 5]);

    temp_dir dir;
    save_frame_bmp(dir.file("f.bmp").c_str());
    const std::string bmp = read_file_bytes(dir.file("f.bmp"));
    EXPECT_EQ(le32_at(bmp, 2), static_cast<std::uint32_t>(54 + stored_rows[w - 5] * h));
    EXPECT_EQ(bmp.substr(54), repeat(bmp_row, h));

    stream_capture quiet(1);
    dump_frame_ppm(dir.file("f.ppm").c_str(), 3);
    const std::string header = "P6\n" + std::to_string(w) + " 4\n255\n";
    EXPECT_EQ(read_file_bytes(dir.file("f.ppm")), header + repeat(ppm_row, h));
  }
}

TEST(frame_capture, unopenable_files_and_refused_regions) {
  show_window(640, 360);
  fill({1, 2, 3});
  temp_dir dir;
  const std::string missing = dir.file("no/such/folder/f");
  {
    stream_capture out(1), err(2);
    save_frame_bmp((missing + ".bmp").c_str());
    dump_frame_ppm((missing + ".ppm").c_str(), 3);
    dump_histogram_ppm((missing + "h.ppm").c_str());
    EXPECT_EQ(err.text(), "can't open " + missing + ".bmp\ncan't open " + missing +
                              ".ppm\ncan't open " + missing + "h.ppm\n");
    EXPECT_EQ(out.text(), "DEBUG: now dumping to \"" + missing +
                              ".ppm\".\n#DEBUG: now dumping to \"" + missing + "h.ppm\".\n");
  }

  // Empty, inverted, too large for the size field, and wrapping regions write nothing.
  struct region {
    int x0, y0, x1, y1;
    const char* line;
  } regions[] = {
      {0, 0, 0, 10, "##error: nothing to capture, the region is 0 x 10.\n"},
      {10, 10, 5, 20, "##error: nothing to capture, the region is -5 x 10.\n"},
      {0, 0, 70000, 70000, "cannot allocate image buffer\n"},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, "cannot allocate image buffer\n"},
  };
  for (const region& r : regions) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    stream_capture err(2);
    write_bmp(f, r.x0, r.y0, r.x1, r.y1);
    EXPECT_EQ(err.text(), r.line);
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(frame_capture, little_endian_fields) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  put_le16(0x1234, f);
  put_le16(0xFF01, f);
  put_le32(0x89ABCDEFu, f);
  put_le32(54, f);
  std::rewind(f);
  unsigned char b[12] = {};
  ASSERT_EQ(std::fread(b, 1, 12, f), 12u);
  EXPECT_EQ(std::fgetc(f), EOF);
  std::fclose(f);
  const unsigned char want[12] = {0x34, 0x12, 0x01, 0xFF, 0xEF, 0xCD, 0xAB, 0x89, 54, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(b[i], want[i]) << "byte " << i;
}

TEST(frame_capture, allocation_failures_leave_no_file) {
  show_window(64, 16);
  fill({5, 6, 7});
  temp_dir dir;
  const std::string ppm = dir.file("f.ppm"), bmp = dir.file("f.bmp");
  for (int format : {3, 4}) {
    for (int index = 0; index < format - 2; ++index) {  // format 4 needs a second buffer
      refuse_allocation refuse(index);
      stream_capture out(1), err(2);
      dump_frame_ppm(ppm.c_str(), format);
      EXPECT_EQ(out.text(), "");
      EXPECT_EQ(err.text().rfind("cannot allocate image buffer. qxdump.cpp, ", 0), 0u);
      EXPECT_FALSE(exists(ppm));
    }
  }
  {
    refuse_allocation refuse(0);
    stream_capture err(2);
    save_frame_bmp(bmp.c_str());
    EXPECT_EQ(err.text(), "cannot allocate image buffer\n");
  }
  EXPECT_EQ(read_file_bytes(bmp), "");
  EXPECT_TRUE(exists(bmp));

  std::int32_t blue[256], green[256], red[256];
  for (int v = 0; v < 256; ++v) blue[v] = green[v] = red[v] = -v;
  {
    refuse_allocation refuse(0);
    stream_capture err(2);
    count_colour_values(blue, green, red);
    EXPECT_EQ(err.text().rfind("cannot allocate image buffer. qxdump.cpp, ", 0), 0u);
  }
  for (int v = 0; v < 256; ++v) ASSERT_EQ(blue[v] + green[v] + red[v], -3 * v);
  count_colour_values(blue, green, red);
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(red[v], v == 5 ? 64 * 16 : 0);
    EXPECT_EQ(green[v], v == 6 ? 64 * 16 : 0);
    EXPECT_EQ(blue[v], v == 7 ? 64 * 16 : 0);
  }
}

TEST(histogram, each_failed_allocation_reports_its_own_line) {
  show_window(64, 16);
  fill({5, 6, 7});
  temp_dir dir;
  const std::string path = dir.file("h.ppm");
  // Six arrays, then the capture buffer of the count, then the picture.
  std::vector<std::string> lines;
  for (int index = 0; index < 8; ++index) {
    SCOPED_TRACE("allocation " + std::to_string(index));
    refuse_allocation refuse(index);
    stream_capture out(1), err(2);
    dump_histogram_ppm(path.c_str());
    const std::string printed = err.text();
    ASSERT_EQ(printed.rfind("cannot allocate image buffer. qxdump.cpp, ", 0), 0u) << printed;
    const std::string first = printed.substr(0, printed.find('\n') + 1);
    lines.push_back(first);
    if (index == 6)
      EXPECT_EQ(printed.substr(first.size()),
                "##error: no colour counts, histogram \"" + path + "\" not written.\n");
    else
      EXPECT_EQ(printed, first);
    EXPECT_EQ(out.text(), "");
    EXPECT_FALSE(exists(path));
  }
  for (std::size_t i = 0; i < lines.size(); ++i)
    for (std::size_t j = i + 1; j < lines.size(); ++j) EXPECT_NE(lines[i], lines[j]);
}

TEST(histogram, single_colour_256_wide_gives_full_bars) {
  temp_dir dir;
  for (rgb c : {rgb{40, 40, 200}, rgb{0, 0, 0}, rgb{255, 7, 255}}) {
    SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
    show_window(256, 20);
    fill(c);
    histogram want;
    want.full(c.r, {1, 0, 0});
    want.full(c.g, {0, 1, 0});
    want.full(c.b, {0, 0, 1});
    expect_histogram(dump_histogram(dir), want);
  }
}

TEST(histogram, narrow_window_maps_column_to_twice_its_index) {
  show_window(128, 8);
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 128; ++x) pixels.insert(pixels.end(), {std::uint8_t(2 * x), 0, 0});
  draw_pixels(128, 8, pixels);
  // Every even red value has the same count; green and blue are all zero.
  histogram want;
  for (int x = 0; x < 128; ++x) want.bar(x, 256, 0);
  want.full(0, {0, 1, 1});
  temp_dir dir;
  expect_histogram(dump_histogram(dir), want);
}

TEST(histogram, half_the_maximum_gives_half_a_bar) {
  show_window(256, 3);
  fill({0, 0, 0});
  fill_rect(0, 2, 256, 1, {200, 0, 0});  // red 200 on 256 pixels, red 0 on 512
  histogram want;
  want.full(0, {1, 1, 1});
  want.bar(200, 128, 0);
  temp_dir dir;
  expect_histogram(dump_histogram(dir), want);
}

TEST(histogram, wide_windows_stay_inside_the_picture) {
  temp_dir dir;
  show_window(640, 360);
  fill({10, 20, 30});
  histogram want;
  want.full(10, {1, 0, 0});
  want.full(20, {0, 1, 0});
  want.full(30, {0, 0, 1});
  expect_histogram(dump_histogram(dir), want);

  // Two window columns a value: every value still gets its own column.
  show_window(512, 4);
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 512; ++x) pixels.insert(pixels.end(), {0, std::uint8_t(x / 2), 0});
  draw_pixels(512, 4, pixels);
  histogram all;
  for (int x = 0; x < 256; ++x) all.bar(x, 256, 1);
  all.full(0, {1, 0, 1});
  expect_histogram(dump_histogram(dir), all);
}

}  // namespace
