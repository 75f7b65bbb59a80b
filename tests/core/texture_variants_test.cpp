// The further texture loaders and the checkerboard, read back from OpenGL.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "qxtexture.h"

namespace {

// A picture of w x h pixels whose samples are all different (mod 256).
std::string ppm_text(int w, int h, const char* max = "255") {
  std::string s = "P3\n" + std::to_string(w) + " " + std::to_string(h) + "\n" + max + "\n";
  for (int i = 0; i < w * h * 3; ++i) s += std::to_string((i * 37 + 11) % 256) + "\n";
  return s;
}

GLuint new_texture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  return name;
}

// The RGB pixels of one level of a texture, empty when the level is undefined.
// A 1-D array's height is its layer count, so its pixels read as a 2-D one's.
std::vector<unsigned char> level_pixels(GLuint name, int level, GLenum target = GL_TEXTURE_2D) {
  glBindTexture(target, name);
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(target, level, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(target, level, GL_TEXTURE_HEIGHT, &h);
  std::vector<unsigned char> out(static_cast<size_t>(w) * h * 3);
  if (!out.empty()) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, GL_RGB, GL_UNSIGNED_BYTE, out.data());
  }
  return out;
}

// Every level of the chain, as far as it is defined.
std::vector<std::vector<unsigned char>> chain(GLuint name, GLenum target = GL_TEXTURE_2D) {
  std::vector<std::vector<unsigned char>> levels;
  for (int level = 0; level < 12; ++level) {
    auto px = level_pixels(name, level, target);
    if (px.empty()) break;
    levels.push_back(px);
  }
  return levels;
}

using loader = std::function<int(qxtexture&, const char*, GLuint)>;

struct named_loader {
  const char* name;
  loader load;
};

const std::vector<named_loader>& variant_loaders() {
  static const std::vector<named_loader> all = {
      {"load_ppm", [](qxtexture& t, const char* p, GLuint n) { return t.load_ppm(p, n); }},
      {"load_ppm_target", [](qxtexture& t, const char* p,
                             GLuint n) { return t.load_ppm_target(p, n, GL_TEXTURE_2D); }},
      {"load_ppm_level",
       [](qxtexture& t, const char* p, GLuint n) { return t.load_ppm_level(p, n, 0); }},
      {"load_ppm_mipmap_aniso",
       [](qxtexture& t, const char* p, GLuint n) { return t.load_ppm_mipmap_aniso(p, n); }},
      {"load_ppm_mipmap_target",
       [](qxtexture& t, const char* p, GLuint n) {
         return t.load_ppm_mipmap_target(p, n, GL_TEXTURE_2D);
       }},
      {"load_ppm_mipmap_aniso_target",
       [](qxtexture& t, const char* p, GLuint n) {
         return t.load_ppm_mipmap_aniso_target(p, n, GL_TEXTURE_2D);
       }},
  };
  return all;
}

bool has_extension(const char* name) {
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return all && std::strstr(all, name);
}

}  // namespace

TEST(TextureVariants, TwoDTargetGivesTheSameTextureAsTheTwoDLoaders) {
  temp_dir dir;
  const std::string path = dir.file("pic.ppm");
  write_file_bytes(path, ppm_text(4, 2));

  qxtexture a, b, c;
  GLuint plain = new_texture(), target = new_texture(), level0 = new_texture();
  ASSERT_EQ(1, a.load_ppm(path.c_str(), plain));
  ASSERT_EQ(1, b.load_ppm_target(path.c_str(), target, GL_TEXTURE_2D));
  ASSERT_EQ(1, c.load_ppm_level(path.c_str(), level0, 0));
  auto expected = level_pixels(plain, 0);
  ASSERT_EQ(24u, expected.size());
  EXPECT_EQ(0, std::memcmp(expected.data(), a.pixels, 24));
  EXPECT_EQ(expected, level_pixels(target, 0));
  EXPECT_EQ(expected, level_pixels(level0, 0));
  EXPECT_TRUE(level_pixels(plain, 1).empty()) << "single-level loaders build no chain";

  qxtexture m, mt, ma, mat;
  GLuint mip = new_texture(), mip_target = new_texture(), aniso = new_texture(),
         aniso_target = new_texture();
  {
    stream_capture quiet(1);
    ASSERT_EQ(1, m.load_ppm_mipmap(path.c_str(), mip));
    ASSERT_EQ(1, mt.load_ppm_mipmap_target(path.c_str(), mip_target, GL_TEXTURE_2D));
    ASSERT_EQ(1, ma.load_ppm_mipmap_aniso(path.c_str(), aniso));
    ASSERT_EQ(1, mat.load_ppm_mipmap_aniso_target(path.c_str(), aniso_target, GL_TEXTURE_2D));
  }
  auto mip_chain = chain(mip);
  ASSERT_EQ(3u, mip_chain.size()) << "4x2, 2x1, 1x1";
  EXPECT_EQ(expected, mip_chain[0]);
  EXPECT_EQ(mip_chain, chain(mip_target));
  EXPECT_EQ(mip_chain, chain(aniso));
  EXPECT_EQ(mip_chain, chain(aniso_target));
  EXPECT_EQ(aniso, ma.tex_name);
  EXPECT_EQ(aniso_target, mat.tex_name);
}

// The target loaders fill the target they are given and leave the 2-D
// texture bound before them alone: a rectangle texture for the single level
// (it has no others), a 1-D array for the chains.
TEST(TextureVariants, TargetLoadersFillTheTargetTheyAreGiven) {
  temp_dir dir;
  const std::string path = dir.file("pic.ppm");
  write_file_bytes(path, ppm_text(4, 2));
  qxtexture reference;
  GLuint plain = new_texture();
  {
    stream_capture quiet(1);
    ASSERT_EQ(1, reference.load_ppm_mipmap(path.c_str(), plain));
  }
  const auto expected = chain(plain);
  ASSERT_EQ(3u, expected.size());

  GLuint bystander = new_texture();
  glBindTexture(GL_TEXTURE_2D, bystander);
  qxtexture rect, mip, aniso;
  GLuint rect_name = new_texture(), mip_name = new_texture(), aniso_name = new_texture();
  {
    stream_capture quiet(1);
    ASSERT_EQ(1, rect.load_ppm_target(path.c_str(), rect_name, GL_TEXTURE_RECTANGLE));
    ASSERT_EQ(1, mip.load_ppm_mipmap_target(path.c_str(), mip_name, GL_TEXTURE_1D_ARRAY));
    ASSERT_EQ(1, aniso.load_ppm_mipmap_aniso_target(path.c_str(), aniso_name,
                                                    GL_TEXTURE_1D_ARRAY));
  }
  EXPECT_EQ(expected[0], level_pixels(rect_name, 0, GL_TEXTURE_RECTANGLE));
  EXPECT_EQ(expected, chain(mip_name, GL_TEXTURE_1D_ARRAY));
  EXPECT_EQ(expected, chain(aniso_name, GL_TEXTURE_1D_ARRAY));
  EXPECT_TRUE(level_pixels(bystander, 0).empty()) << "a loader wrote into the bound 2-D texture";
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST(TextureVariants, LevelLoaderDefinesOnlyItsLevel) {
  temp_dir dir;
  const std::string path = dir.file("pic.ppm");
  write_file_bytes(path, ppm_text(4, 4));
  qxtexture t;
  GLuint name = new_texture();
  ASSERT_EQ(1, t.load_ppm_level(path.c_str(), name, 1));
  EXPECT_TRUE(level_pixels(name, 0).empty());
  auto one = level_pixels(name, 1);
  ASSERT_EQ(48u, one.size());
  EXPECT_EQ(0, std::memcmp(one.data(), t.pixels, 48));
  EXPECT_TRUE(level_pixels(name, 2).empty());
}

TEST(TextureVariants, RejectedSizeStaysOnlyInTheLevelLoader) {
  temp_dir dir;
  const std::string bad_height = dir.file("h6.ppm"), bad_width = dir.file("w3.ppm");
  write_file_bytes(bad_height, ppm_text(4, 6));
  write_file_bytes(bad_width, ppm_text(3, 4));

  for (const auto& l : variant_loaders()) {
    SCOPED_TRACE(l.name);
    for (const std::string* path : {&bad_height, &bad_width}) {
      qxtexture t;
      stream_capture quiet_out(1), err(2);
      t.make_checker();
      unsigned char* before = t.pixels;
      GLuint name = new_texture();
      EXPECT_EQ(0, l.load(t, path->c_str(), name));
      EXPECT_EQ(name, t.tex_name);
      EXPECT_EQ(before, t.pixels);
      EXPECT_EQ(4, t.d);
      const bool early = std::string(l.name) == "load_ppm_level";
      if (path == &bad_height) {
        EXPECT_EQ(early ? 4 : 64, t.w);
        EXPECT_EQ(early ? 6 : 64, t.h);
      } else {
        EXPECT_EQ(early ? 3 : 64, t.w);
        EXPECT_EQ(64, t.h);
      }
    }
  }
}

TEST(TextureVariants, FailureLinesCarryNoPrefix) {
  temp_dir dir;
  struct bad_file {
    const char* file;
    std::string text;
    const char* line;
  };
  const std::vector<bad_file> cases = {
      {"missing.ppm", "", "Cannot open texure file %s\n"},
      {"p6.ppm", "P6\n4 4\n255\n", "Texure file %s is not an ASCII PPM format\n"},
      {"w3.ppm", ppm_text(3, 6), "Width of texture file %s is not power of 2\n"},
      {"h6.ppm", ppm_text(4, 6), "Height of texture file %s is not power of 2\n"},
      {"max256.ppm", ppm_text(2, 2, "256"), "Color component in %s does not fit in a byte.\n"},
  };
  for (const auto& c : cases)
    if (!c.text.empty()) write_file_bytes(dir.file(c.file), c.text);

  for (const auto& l : variant_loaders()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(l.name) + " " + c.file);
      const std::string path = dir.file(c.file);
      char expected[512];
      snprintf(expected, sizeof expected, c.line, path.c_str());
      qxtexture t;
      std::string printed;
      {
        stream_capture err(2);
        EXPECT_EQ(0, l.load(t, path.c_str(), new_texture()));
        printed = err.text();
      }
      EXPECT_EQ(expected, printed);
    }
  }
}

TEST(TextureVariants, AnisotropyLineAndValue) {
  if (!has_extension("GL_EXT_texture_filter_anisotropic"))
    GTEST_SKIP() << "driver without anisotropic filtering";
  GLfloat largest = 0.0f;
  glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
  char value[64];
  snprintf(value, sizeof value, "DEBUG: largest supported anisotropy=%f. :qxtexture.cpp, ",
           largest);

  temp_dir dir;
  const std::string path = dir.file("pic.ppm");
  write_file_bytes(path, ppm_text(4, 4));
  qxtexture plain, targeted;
  const std::pair<qxtexture*, bool> runs[] = {{&plain, false}, {&targeted, true}};
  for (auto [t, with_target] : runs) {
    SCOPED_TRACE(with_target ? "aniso_target" : "aniso");
    GLuint name = new_texture();
    std::string out;
    {
      stream_capture capture(1);
      int ok = with_target ? t->load_ppm_mipmap_aniso_target(path.c_str(), name, GL_TEXTURE_2D)
                           : t->load_ppm_mipmap_aniso(path.c_str(), name);
      EXPECT_EQ(1, ok);
      out = capture.text();
    }
    EXPECT_NE(std::string::npos, out.find(value)) << out;
    glBindTexture(GL_TEXTURE_2D, name);
    GLfloat set = 0.0f;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &set);
    EXPECT_EQ(largest, set);
  }
  // Without the anisotropy step the texture keeps OpenGL's default of 1.
  qxtexture none;
  GLuint name = new_texture();
  {
    stream_capture quiet(1);
    ASSERT_EQ(1, none.load_ppm_mipmap_target(path.c_str(), name, GL_TEXTURE_2D));
  }
  GLfloat set = 0.0f;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &set);
  EXPECT_EQ(1.0f, set);
}

TEST(TextureVariants, CheckerboardPixels) {
  qxtexture t;
  t.tex_name = new_texture();
  std::string out;
  {
    stream_capture capture(1);
    t.make_checker();
    out = capture.text();
  }
  EXPECT_NE(std::string::npos, out.find("DEBUG: resize() 64 64 4:")) << out;
  EXPECT_NE(std::string::npos, out.find("DEBUG: resize() new size 16384 :")) << out;

  glBindTexture(GL_TEXTURE_2D, t.tex_name);
  std::vector<unsigned char> px(64 * 64 * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  auto at = [&](int row, int col) {
    const unsigned char* p = &px[(row * 64 + col) * 4];
    return std::vector<int>{p[0], p[1], p[2], p[3]};
  };
  const std::vector<int> black{0, 0, 0, 255}, white{255, 255, 255, 255};
  EXPECT_EQ(black, at(0, 0));
  EXPECT_EQ(white, at(0, 8));
  EXPECT_EQ(white, at(8, 0));
  EXPECT_EQ(black, at(8, 8));
  EXPECT_EQ(black, at(7, 7));
  EXPECT_EQ(white, at(63, 0)) << "eight squares to a side";
  int whites = 0;
  for (int r = 0; r < 64; ++r)
    for (int c = 0; c < 64; ++c) {
      auto p = at(r, c);
      ASSERT_TRUE(p == black || p == white) << r << "," << c;
      whites += p == white;
    }
  EXPECT_EQ(64 * 64 / 2, whites);
  GLint level1 = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
  EXPECT_EQ(0, level1) << "no mipmaps";
}

namespace {

// All seven PPM loaders, the scene's own first, with the "#ERROR: " prefix
// that only it carries.
std::vector<named_loader> every_loader() {
  std::vector<named_loader> all = {
      {"load_ppm_mipmap",
       [](qxtexture& t, const char* p, GLuint n) { return t.load_ppm_mipmap(p, n); }}};
  all.insert(all.end(), variant_loaders().begin(), variant_loaders().end());
  return all;
}

std::vector<unsigned char> file_samples(int w, int h) {
  std::vector<unsigned char> out;
  for (int i = 0; i < w * h * 3; ++i) out.push_back(static_cast<unsigned char>((i * 37 + 11) % 256));
  return out;
}

}  // namespace

TEST(TextureLoaders, NarrowPicturesKeepTheirRowsWhateverTheUnpackAlignment) {
  // Rows of 3 and 6 bytes: at OpenGL's default alignment of 4 every row but
  // the first would be read from the wrong place.
  temp_dir dir;
  for (auto [w, h] : {std::pair{1, 4}, {2, 2}, {2, 4}}) {
    const std::string path = dir.file("narrow.ppm");
    write_file_bytes(path, ppm_text(w, h));
    for (const auto& l : every_loader()) {
      SCOPED_TRACE(std::string(l.name) + " " + std::to_string(w) + "x" + std::to_string(h));
      glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
      qxtexture t;
      GLuint name = new_texture();
      stream_capture quiet(1);
      ASSERT_EQ(1, l.load(t, path.c_str(), name));
      EXPECT_EQ(file_samples(w, h), level_pixels(name, 0));
      GLint alignment = 0;
      glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
      EXPECT_EQ(1, alignment) << "stays 1 afterwards";
    }
  }
}

TEST(TextureLoaders, FileEndingAmongItsSamplesKeepsTheOldPicture) {
  temp_dir dir;
  // Long enough to pass the length check, yet six samples short; and one
  // that the length check itself refuses.
  const std::string among = dir.file("among.ppm"), short_file = dir.file("short.ppm");
  write_file_bytes(among, "P3\n2 2\n255\n100 100 100 100 100 100\n");
  write_file_bytes(short_file, "P3\n4 4\n255\n1 2 3\n");
  for (const auto& l : every_loader()) {
    for (const std::string* path : {&among, &short_file}) {
      SCOPED_TRACE(std::string(l.name) + " " + *path);
      qxtexture t;
      GLuint name = new_texture();
      t.tex_name = name;
      stream_capture quiet(1), err(2);
      t.make_checker();
      const std::vector<unsigned char> picture(t.pixels, t.pixels + 64 * 64 * 4);
      const auto uploaded = level_pixels(name, 0);
      unsigned char* const buffer = t.pixels;

      EXPECT_EQ(0, l.load(t, path->c_str(), name));
      EXPECT_EQ(64, t.w);
      EXPECT_EQ(64, t.h);
      EXPECT_EQ(4, t.d);
      ASSERT_EQ(buffer, t.pixels);
      EXPECT_EQ(picture, std::vector<unsigned char>(t.pixels, t.pixels + 64 * 64 * 4));
      EXPECT_EQ(uploaded, level_pixels(name, 0)) << "the texture is not touched";
      const std::string prefix = std::string(l.name) == "load_ppm_mipmap" ? "#ERROR: " : "";
      EXPECT_EQ(prefix + "Texture file " + *path + " ends before its last sample.\n", err.text());
    }
  }
}
