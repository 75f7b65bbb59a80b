#include <gtest/gtest.h>

#include <climits>
#include <regex>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "qxtexture.h"

namespace {

// The 24 samples of a 4 x 2 picture, with values that exercise the byte wrap.
const std::vector<int> samples = {0,   1,   2,  255, 128, 64, 10, 20,  30,  40,  50,  60,
                                  256, 300, -1, 7,   8,   9,  99, 100, 101, 200, 201, 202};

std::vector<unsigned char> expected_bytes() {
  std::vector<unsigned char> out;
  for (int v : samples) out.push_back(static_cast<unsigned char>(v & 0xFF));
  return out;
}

std::vector<unsigned char> texture_rgb(GLuint name, int w, int h, int level = 0) {
  std::vector<unsigned char> out(w * h * 3);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, out.data());
  return out;
}

std::string join_samples(const std::string& sep) {
  std::string s;
  for (size_t i = 0; i < samples.size(); ++i) s += (i ? sep : "") + std::to_string(samples[i]);
  return s;
}

class Texture : public ::testing::Test {
 protected:
  temp_dir dir;
  GLuint name = 0;
  void SetUp() override { glGenTextures(1, &name); }
  void TearDown() override { glDeleteTextures(1, &name); }
  std::string file(const std::string& text, const std::string& base = "t.ppm") {
    std::string path = dir.file(base);
    write_file_bytes(path, text);
    return path;
  }
};

TEST_F(Texture, EveryLayoutOfTheSameNumbersGivesTheSameTexture) {
  std::string long_line = "P3 4 2 255 " + join_samples(" ");
  std::string layouts[] = {
      "P3\n4 2\n255\n" + join_samples("\n") + "\n",
      // A comment chunk between every two tokens, blank lines and tabs too.
      "# made by hand\nP3\n# size\n4\n#\n2\n\n# depth\n255\n" + join_samples("\n# s\n\t") + "\n",
      // One long line, cut into 79-character chunks in the middle of tokens.
      long_line + "\n",
      // The last sample without a line end.
      "P3 4 2 255\n" + join_samples(" "),
      // As Windows tools save it: CRLF line ends, CR in every gap of the header.
      "P3\r\n# saved on Windows\r\n4\r2\r\n255\r\n" + join_samples("\r\n") + "\r\n",
  };
  ASSERT_GT(long_line.size(), 79u);
  ASSERT_NE(long_line[78], ' ');  // a token straddles the first chunk boundary
  for (const std::string& text : layouts) {
    qxtexture t;
    ASSERT_EQ(t.load_ppm_mipmap(file(text).c_str(), name), 1) << text;
    EXPECT_EQ(t.w, 4);
    EXPECT_EQ(t.h, 2);
    EXPECT_EQ(t.d, 3);
    EXPECT_EQ(std::vector<unsigned char>(t.pixels, t.pixels + 24), expected_bytes()) << text;
    EXPECT_EQ(texture_rgb(name, 4, 2), expected_bytes()) << text;
    // The mipmap chain goes down to 1 x 1.
    GLint w2 = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &w2);
    EXPECT_EQ(w2, 1);
  }
}

TEST_F(Texture, LoadPrintsItsResizeLinesAndAOnePixelPictureLoads) {
  qxtexture t;
  stream_capture out(1);
  ASSERT_EQ(t.load_ppm_mipmap(file("P3\n4 2\n255\n" + join_samples(" ") + "\n").c_str(), name), 1);
  std::string text = out.text();
  EXPECT_TRUE(std::regex_match(text, std::regex("DEBUG: resize\\(\\) qxtexture\\.cpp, \\d+\n"
                                                "DEBUG: resize\\(\\) 4 2 3:qxtexture\\.cpp, \\d+\n"
                                                "DEBUG: resize\\(\\) new size 24 :qxtexture\\.cpp, \\d+\n")))
      << text;
  ASSERT_EQ(t.load_ppm_mipmap(file("P3 1 1 255 9 8 7\n").c_str(), name), 1);
  EXPECT_EQ(texture_rgb(name, 1, 1), (std::vector<unsigned char>{9, 8, 7}));
}

TEST_F(Texture, ANewObjectReportsZeroSizeFromItsHeader) {
  stream_capture out(1);
  { qxtexture t; }
  EXPECT_TRUE(std::regex_match(out.text(),
                               std::regex("DEBUG:qxtexture loaded\\.:qxtexture\\.h, \\d+\n"
                                          "DEBUG:qxtexture:w,h,d,0 0 0 :qxtexture\\.h, \\d+\n"
                                          "DEBUG: destructor was called in qxtexture\\.h, \\d+\n")));
}

TEST_F(Texture, HeaderFailuresReportInOrderAndKeepThePicture) {
  struct bad_case {
    std::string text;
    std::string line;  // with %s for the path
  };
  const bad_case cases[] = {
      {"P6\n4 2\n255\n", "#ERROR: Texure file %s is not an ASCII PPM format\n"},
      {"p3\n4 2\n255\n", "#ERROR: Texure file %s is not an ASCII PPM format\n"},
      {"P3 # a comment behind the magic\n4 2\n255\n",
       "ERROR: Width of texture file %s is not power of 2\n"},
      {"P3\n3 2\n255\n", "ERROR: Width of texture file %s is not power of 2\n"},
      {"P3\n3 6\n255\n", "ERROR: Width of texture file %s is not power of 2\n"},
      {"P3\n4 6\n255\n", "#ERROR: Height of texture file %s is not power of 2\n"},
      {"P3\n4 -2\n255\n", "#ERROR: Height of texture file %s is not power of 2\n"},
      {"P3\n4 2\n256\n", "#ERROR: Color component in %s does not fit in a byte.\n"},
      {"P3\n4 2\n65535\n", "#ERROR: Color component in %s does not fit in a byte.\n"},
      {"  # not a comment\n", "#ERROR: Texure file %s is not an ASCII PPM format\n"},
  };
  qxtexture t;
  ASSERT_EQ(t.load_ppm_mipmap(file("P3 1 1 255 1 2 3\n", "good.ppm").c_str(), name), 1);
  unsigned char* kept = t.pixels;
  for (const bad_case& c : cases) {
    std::string path = file(c.text);
    stream_capture err(2);
    EXPECT_EQ(t.load_ppm_mipmap(path.c_str(), 4242), 0) << c.text;
    std::string expected = c.line;
    expected.replace(expected.find("%s"), 2, path);
    EXPECT_EQ(err.text(), expected) << c.text;
    EXPECT_EQ(t.tex_name, 4242u);
    EXPECT_EQ(t.w, 1);
    EXPECT_EQ(t.h, 1);
    EXPECT_EQ(t.d, 3);
    EXPECT_EQ(t.pixels, kept);
    EXPECT_EQ(kept[2], 3);
  }
  stream_capture err(2);
  EXPECT_EQ(t.load_ppm_mipmap(dir.file("missing.ppm").c_str(), name), 0);
  EXPECT_EQ(err.text(), "Cannot open texure file " + dir.file("missing.ppm") + "\n");
}

TEST_F(Texture, SamplesKeepTheirLowEightBitsAtAnyLength) {
  // 2^40 * 10 + 1, 2^64 + 300 and -257: the low byte of the number as written.
  qxtexture t;
  std::string path = file("P3 1 1 255\n10995116277761 18446744073709551916 -257\n");
  ASSERT_EQ(t.load_ppm_mipmap(path.c_str(), name), 1);
  EXPECT_EQ(texture_rgb(name, 1, 1), (std::vector<unsigned char>{1, 44, 255}));
  // A size that wraps to 4 in 64 bits is still no power of two.
  stream_capture err(2);
  path = file("P3 18446744073709551620 1 255 1 2 3 4 5 6 7 8 9 10 11 12\n");
  EXPECT_EQ(t.load_ppm_mipmap(path.c_str(), name), 0);
  EXPECT_EQ(err.text(), "ERROR: Width of texture file " + path + " is not power of 2\n");
}

TEST_F(Texture, SmallMaximumValueDoesNotScaleAndExtraSamplesAreIgnored) {
  qxtexture t;
  std::string path = file("P3 1 1 15 15 3 1 99 99 99\n77\n");
  ASSERT_EQ(t.load_ppm_mipmap(path.c_str(), name), 1);
  EXPECT_EQ(texture_rgb(name, 1, 1), (std::vector<unsigned char>{15, 3, 1}));
  // The next load starts at the first line of its own file.
  ASSERT_EQ(t.load_ppm_mipmap(file("P3 1 1 255\n4 5 6\n", "next.ppm").c_str(), name), 1);
  EXPECT_EQ(texture_rgb(name, 1, 1), (std::vector<unsigned char>{4, 5, 6}));
}

TEST_F(Texture, ShortEmptyAndCommentOnlyFilesFailWithoutLosingThePicture) {
  qxtexture t;
  ASSERT_EQ(t.load_ppm_mipmap(file("P3 1 1 255 1 2 3\n", "good.ppm").c_str(), name), 1);
  unsigned char* kept = t.pixels;
  const std::string texts[] = {"", "# only a comment\n", "\n\n\n", "P3\n4 2\n255\n1 2 3\n",
                               "P3\n4 2\n255\n1 2 3\n# the rest is missing\n\n"};
  for (const std::string& text : texts) {
    std::string path = file(text);
    stream_capture err(2);
    EXPECT_EQ(t.load_ppm_mipmap(path.c_str(), name), 0) << text;
    EXPECT_FALSE(err.text().empty()) << text;
    EXPECT_EQ(t.w, 1);
    EXPECT_EQ(t.pixels, kept);
  }
  // A header promising far more than the file holds (805 MB of samples)
  // fails on the file's length, before any picture is made for it.
  for (const char* text : {"P3\n4 2\n255\n1 2 3\n", "P3 16384 16384 255 1 2 3 4 5 6\n"}) {
    stream_capture out(1), err(2);
    EXPECT_EQ(t.load_ppm_mipmap(file(text).c_str(), name), 0);
    EXPECT_EQ(err.text(), "#ERROR: Texture file " + dir.file("t.ppm") +
                              " ends before its last sample.\n");
    EXPECT_EQ(out.text().find("resize"), std::string::npos) << text;
    EXPECT_EQ(t.pixels, kept);
  }
}

TEST_F(Texture, SizesThatDoNotFitAreRejectedCleanly) {
  qxtexture t;
  ASSERT_EQ(t.load_ppm_mipmap(file("P3 1 1 255 1 2 3\n", "good.ppm").c_str(), name), 1);
  unsigned char* kept = t.pixels;
  for (const char* header : {"P3 65536 65536 255 1 2 3\n", "P3 1073741824 2 255 1\n",
                             "P3 99999999999999999999 1 255\n"}) {
    stream_capture err(2);
    EXPECT_EQ(t.load_ppm_mipmap(file(header).c_str(), name), 0) << header;
    EXPECT_NE(err.text(), "") << header;
    EXPECT_EQ(t.w, 1);
    EXPECT_EQ(t.pixels, kept);
  }
  // resize on its own refuses too, and leaves the object as it was.
  stream_capture err(2);
  EXPECT_EQ(t.resize(65536, 65536, 3), 0);
  EXPECT_NE(err.text().find("does not fit"), std::string::npos);
  EXPECT_EQ(t.w, 1);
  EXPECT_EQ(t.pixels, kept);
}

TEST(TextureObject, PowerOfTwoTest) {
  qxtexture t;
  for (int n : {1, 2, 4, 8, 1024, 1 << 30}) EXPECT_EQ(t.is_power_of_two(n), 1) << n;
  for (int n : {0, 3, 6, 12, -1, -2, -4, INT_MIN, INT_MAX}) EXPECT_EQ(t.is_power_of_two(n), 0) << n;
}

TEST(TextureObject, GradientPicture) {
  qxtexture t;
  glGenTextures(1, &t.tex_name);
  stream_capture out(1);
  t.make_gradient();
  std::string text = out.text();
  EXPECT_NE(text.find("DEBUG: resize() 256 256 4:qxtexture.cpp, "), std::string::npos);
  EXPECT_NE(text.find("DEBUG: resize() new size 262144 :qxtexture.cpp, "), std::string::npos);
  std::vector<unsigned char> rgba(256 * 256 * 4);
  glBindTexture(GL_TEXTURE_2D, t.tex_name);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  auto px = [&](int r, int c) { return &rgba[(r * 256 + c) * 4]; };
  EXPECT_EQ(std::vector<unsigned char>(px(254, 254), px(254, 254) + 4),
            (std::vector<unsigned char>{254, 254, 0, 255}));
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(px(255, i)[0], 0);
    EXPECT_EQ(px(i, 255)[1], 0);
    EXPECT_EQ(px(i, 7)[3], 255);
  }
  EXPECT_EQ(px(3, 5)[0], 3);
  EXPECT_EQ(px(3, 5)[1], 5);
  glDeleteTextures(1, &t.tex_name);
}

}  // namespace
