// Frame capture against a real window: draw known pixels into the back buffer
// (the read buffer of a double-buffered window), dump, read the files back.
#include "qxdump.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "gl_headers.h"
#include "gl_test_env.h"

// Refusing one chosen allocation is the only way onto the out-of-memory paths;
// only the capture code asks for arrays without exceptions.
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
  explicit refuse_allocation(int index) { nothrow_arrays = 0, refuse_index = index; }
  ~refuse_allocation() { refuse_index = -1; }
};

using bytes = std::string;
struct rgb {
  int r, g, b;
  bytes ppm() const { return {char(r), char(g), char(b)}; }
  bytes bmp() const { return {char(b), char(g), char(r)}; }
};

bytes repeat(const bytes& s, int n) {
  bytes out;
  while (n-- > 0) out += s;
  return out;
}
bytes le16(std::uint16_t v) { return {char(v), char(v >> 8)}; }
bytes le32(std::uint32_t v) { return le16(std::uint16_t(v)) + le16(std::uint16_t(v >> 16)); }

// Frames are large: name the first differing byte instead of diffing whole strings.
::testing::AssertionResult same_bytes(const bytes& got, const bytes& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " bytes, expected " << want.size();
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return ::testing::AssertionFailure() << "byte " << i << " is " << int(std::uint8_t(got[i]))
                                           << ", expected " << int(std::uint8_t(want[i]));
  return ::testing::AssertionSuccess();
}

bool exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

const char alloc_line[] = "cannot allocate image buffer. qxdump.cpp, ";

void show_window(int w, int h) {
  resize_test_window(w, h);
  ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), w);
  glDrawBuffer(GL_BACK);
  glReadBuffer(GL_BACK);
}

void fill_rect(int x, int y, int w, int h, rgb c) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, w, h);
  glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}
void fill(rgb c) { fill_rect(0, 0, 4096, 4096, c); }

// Draws a w x h frame from one row of RGB bytes, repeated up the window.
void draw_rows(int w, int h, const bytes& row) {
  const bytes pixels = repeat(row, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRasterPos2f(-1.0f, -1.0f);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

// The expected histogram file; bars rise from the bottom, the file starts at the top.
struct histogram {
  bytes pixels = bytes(256 * 256 * 3, '\0');
  void bar(int column, int height, int channel) {
    for (int y = 0; y < height; ++y) pixels[((255 - y) * 256 + column) * 3 + channel] = '\xff';
  }
  void full(int column, rgb channels) {
    const int on[3] = {channels.r, channels.g, channels.b};
    for (int c = 0; c < 3; ++c)
      if (on[c]) bar(column, 256, c);
  }
  bytes file() const { return "P6\n256 256\n255\n" + pixels; }
};

bytes dump_histogram(const temp_dir& dir) {
  const std::string path = dir.file("h.ppm");
  stream_capture out(1);
  dump_histogram_ppm(path.c_str());
  EXPECT_EQ(out.text(), "#DEBUG: now dumping to \"" + path + "\".\n");
  return read_file_bytes(path);
}

TEST(FrameCapture, PpmAndBmpOfA640By360Frame) {
  show_window(640, 360);
  const rgb top{200, 30, 90}, bottom{10, 220, 40};
  fill(bottom);
  fill_rect(0, 180, 640, 180, top);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);  // must be put back after every read
  temp_dir dir;
  const std::string p3 = dir.file("f3.ppm"), p4 = dir.file("f4.ppm"), p5 = dir.file("f5.ppm");
  const std::string bmp = dir.file("f.bmp");
  {
    stream_capture out(1), err(2);
    dump_frame_ppm(p3.c_str(), 3);
    dump_frame_ppm(p4.c_str(), 4);
    dump_frame_ppm(p5.c_str(), 5);
    save_frame_bmp(bmp.c_str());
    EXPECT_EQ(out.text(), "DEBUG: now dumping to \"" + p3 +
                              "\".\ndump finished.\n"
                              "now export framebuffer format and dumping.\ndump finished.\n");
    EXPECT_EQ(err.text(), "##error: un-supported format.\n##error: 640,360,5 \n");
  }
  GLint alignment = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);

  // Top row first, red first; alpha dropped from the RGBA read.
  const bytes ppm = read_file_bytes(p3);
  EXPECT_TRUE(same_bytes(
      ppm, "P6\n640 360\n255\n" + repeat(top.ppm(), 640 * 180) + repeat(bottom.ppm(), 640 * 180)));
  EXPECT_EQ(ppm.size() - 15, 691200u);
  EXPECT_TRUE(same_bytes(read_file_bytes(p4), ppm));
  EXPECT_FALSE(exists(p5));

  // Bottom row first, blue first, no padding at a width that is a multiple of 4.
  const bytes header = "BM" + le32(691254) + le32(0) + le32(54) + le32(40) + le32(640) + le32(360) +
                       le16(1) + le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) +
                       le32(0);
  EXPECT_TRUE(same_bytes(read_file_bytes(bmp),
                         header + repeat(bottom.bmp(), 640 * 180) + repeat(top.bmp(), 640 * 180)));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FrameCapture, NarrowWindowsPadBmpRowsOnly) {
  const int stored_row[] = {16, 20, 24, 24};
  for (int w = 5; w <= 8; ++w) {
    SCOPED_TRACE("width " + std::to_string(w));
    show_window(w, 4);
    // A colour per column, so a shifted or cut row shows.
    bytes ppm_row, bmp_row;
    for (int x = 0; x < w; ++x) {
      const rgb c{20 * x + 1, 30 * x + 2, 40 * x + 3};
      ppm_row += c.ppm();
      bmp_row += c.bmp();
    }
    draw_rows(w, 4, ppm_row);
    bmp_row += bytes(w % 4, '\0');
    EXPECT_EQ(int(bmp_row.size()), stored_row[w - 5]);

    temp_dir dir;
    stream_capture quiet(1);
    save_frame_bmp(dir.file("f.bmp").c_str());
    dump_frame_ppm(dir.file("f.ppm").c_str(), 3);
    const bytes bmp = read_file_bytes(dir.file("f.bmp"));
    EXPECT_EQ(bmp.substr(2, 4), le32(54 + stored_row[w - 5] * 4));
    EXPECT_TRUE(same_bytes(bmp.substr(54), repeat(bmp_row, 4)));
    EXPECT_TRUE(same_bytes(read_file_bytes(dir.file("f.ppm")),
                           "P6\n" + std::to_string(w) + " 4\n255\n" + repeat(ppm_row, 4)));
  }
}

TEST(FrameCapture, AFrameThatDoesNotFitOnTheDiskIsNotWritten) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  temp_dir dir;
  const std::string path = dir.file("f.ppm");
  // A file size limit lets the header in and stops the pixels, as a disk
  // filling up part-way would.
  EXPECT_EXIT(
      {
        show_window(64, 64);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit;
        limit.rlim_cur = limit.rlim_max = 200;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::exit(dump_frame_ppm(path.c_str(), 3) ? 0 : 3);
      },
      ::testing::ExitedWithCode(3), "can't write [^\n]*/f\\.ppm");
}

TEST(FrameCapture, UnopenableFilesAndRefusedRegions) {
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

  // Empty, inverted, too large for the 32-bit size field, and wrapping regions.
  struct {
    int x0, y0, x1, y1;
    const char* line;
  } regions[] = {
      {0, 0, 0, 10, "##error: nothing to capture, the region is 0 x 10.\n"},
      {10, 10, 5, 20, "##error: nothing to capture, the region is -5 x 10.\n"},
      {0, 0, 70000, 70000, "cannot allocate image buffer\n"},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, "cannot allocate image buffer\n"},
  };
  for (const auto& r : regions) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    stream_capture err(2);
    write_bmp(f, r.x0, r.y0, r.x1, r.y1);
    EXPECT_EQ(err.text(), r.line);
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
  }
}

TEST(FrameCapture, LittleEndianFields) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  put_le16(0x1234, f);
  put_le16(0xFF01, f);
  put_le32(0x89ABCDEFu, f);
  std::rewind(f);
  unsigned char b[9] = {};
  EXPECT_EQ(std::fread(b, 1, 9, f), 8u);
  std::fclose(f);
  const unsigned char want[8] = {0x34, 0x12, 0x01, 0xFF, 0xEF, 0xCD, 0xAB, 0x89};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], want[i]) << "byte " << i;
}

TEST(FrameCapture, CountsAndFailedBuffers) {
  show_window(64, 16);
  fill({5, 6, 7});
  temp_dir dir;
  const std::string ppm = dir.file("f.ppm"), bmp = dir.file("f.bmp"), hist = dir.file("h.ppm");
  std::int32_t blue[256], green[256], red[256];
  for (int v = 0; v < 256; ++v) blue[v] = green[v] = red[v] = -1;
  {
    refuse_allocation refuse(0);
    stream_capture err(2);
    EXPECT_FALSE(count_colour_values(blue, green, red));
    EXPECT_TRUE(starts_with(err.text(), alloc_line));
  }
  for (int v = 0; v < 256; ++v) ASSERT_EQ(blue[v] + green[v] + red[v], -3);
  EXPECT_TRUE(count_colour_values(blue, green, red));
  for (int v = 0; v < 256; ++v) {
    EXPECT_EQ(red[v], v == 5 ? 64 * 16 : 0);
    EXPECT_EQ(green[v], v == 6 ? 64 * 16 : 0);
    EXPECT_EQ(blue[v], v == 7 ? 64 * 16 : 0);
  }

  // Format 3 takes one buffer, format 4 two.
  for (int index : {0, 1, 2}) {
    refuse_allocation refuse(index % 2);
    stream_capture out(1), err(2);
    EXPECT_FALSE(dump_frame_ppm(ppm.c_str(), index == 0 ? 3 : 4));
    EXPECT_EQ(out.text(), "");
    EXPECT_TRUE(starts_with(err.text(), alloc_line));
    EXPECT_FALSE(exists(ppm));
  }
  {
    refuse_allocation refuse(0);
    stream_capture err(2);
    save_frame_bmp(bmp.c_str());
    EXPECT_EQ(err.text(), "cannot allocate image buffer\n");
  }
  EXPECT_TRUE(exists(bmp));
  EXPECT_EQ(read_file_bytes(bmp), "");

  // The histogram's six arrays, the count's capture buffer, then the picture:
  // each failure names its own line and leaves no file.
  std::vector<std::string> lines;
  for (int index = 0; index < 8; ++index) {
    SCOPED_TRACE("allocation " + std::to_string(index));
    refuse_allocation refuse(index);
    stream_capture out(1), err(2);
    dump_histogram_ppm(hist.c_str());
    const std::string text = err.text(), first = text.substr(0, text.find('\n') + 1);
    EXPECT_TRUE(starts_with(first, alloc_line));
    EXPECT_EQ(
        text.substr(first.size()),
        index == 6 ? "##error: no colour counts, histogram \"" + hist + "\" not written.\n" : "");
    EXPECT_EQ(out.text(), "");
    EXPECT_FALSE(exists(hist));
    for (const std::string& earlier : lines) EXPECT_NE(first, earlier);
    lines.push_back(first);
  }
}

TEST(Histogram, SingleColour256WideGivesFullBars) {
  temp_dir dir;
  for (rgb c : {rgb{40, 40, 200}, rgb{0, 0, 0}, rgb{255, 7, 255}}) {
    SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
    show_window(256, 20);
    fill(c);
    histogram want;
    want.full(c.r, {1, 0, 0});
    want.full(c.g, {0, 1, 0});
    want.full(c.b, {0, 0, 1});
    EXPECT_TRUE(same_bytes(dump_histogram(dir), want.file()));
  }
}

TEST(Histogram, BarHeightsAndColumnMapping) {
  temp_dir dir;
  // Half of an even maximum: red 200 on 256 pixels, red 0 on 512.
  show_window(256, 3);
  fill({0, 0, 0});
  fill_rect(0, 2, 256, 1, {200, 0, 0});
  histogram half;
  half.full(0, {1, 1, 1});
  half.bar(200, 128, 0);
  EXPECT_TRUE(same_bytes(dump_histogram(dir), half.file()));

  // 128 wide: column x shows value 2x; columns 128 to 255 stay black.
  show_window(128, 8);
  bytes row;
  for (int x = 0; x < 128; ++x) row += rgb{2 * x, 0, 0}.ppm();
  draw_rows(128, 8, row);
  histogram narrow;
  for (int x = 0; x < 128; ++x) narrow.bar(x, 256, 0);
  narrow.full(0, {0, 1, 1});
  EXPECT_TRUE(same_bytes(dump_histogram(dir), narrow.file()));
}

TEST(Histogram, WideWindowsStayInsideThePicture) {
  temp_dir dir;
  show_window(640, 360);
  fill({10, 20, 30});
  histogram want;
  want.full(10, {1, 0, 0});
  want.full(20, {0, 1, 0});
  want.full(30, {0, 0, 1});
  EXPECT_TRUE(same_bytes(dump_histogram(dir), want.file()));

  // Two window columns a value: every value still gets its own column.
  show_window(512, 4);
  bytes row;
  for (int x = 0; x < 512; ++x) row += rgb{0, x / 2, 0}.ppm();
  draw_rows(512, 4, row);
  histogram all;
  for (int x = 0; x < 256; ++x) all.bar(x, 256, 1);
  all.full(0, {1, 0, 1});
  EXPECT_TRUE(same_bytes(dump_histogram(dir), all.file()));
}

}  // namespace
