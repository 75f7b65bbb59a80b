#include "qxtexture.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include <sys/stat.h>

char ppm_line[80];
char* ppm_cursor = ppm_line;
char ppm_token[80];

namespace {

// The chunk came to an end of line (or of file): the next chunk starts a line.
bool chunk_ended_line = true;

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the next chunk of at most 79 characters into ppm_line. A chunk that
// begins a line and starts with '#' is a comment and is skipped whole. At the
// end of the file the chunk stays empty and 0 is returned.
int read_chunk(FILE* file) {
  for (;;) {
    bool starts_line = chunk_ended_line;
    if (!fgets(ppm_line, sizeof ppm_line, file)) {
      ppm_line[0] = '\0';
      ppm_cursor = ppm_line;
      chunk_ended_line = true;
      return 0;
    }
    size_t len = strlen(ppm_line);
    chunk_ended_line = len > 0 && ppm_line[len - 1] == '\n';
    ppm_cursor = ppm_line;
    if (!(starts_line && ppm_line[0] == '#')) return 1;
  }
}

// The file's length in bytes, or -1 where it cannot be told. Asked of the
// file system: text streams do not report positions reliably everywhere.
long long file_length(const char* path) {
  struct stat st;
  if (stat(path, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

// A header or sample token read as a decimal integer: an optional sign and the
// digits up to the first other character, 0 when there are none.
struct decimal_token {
  int64_t value;           // the number, held at +-2^62 beyond that: no size fits there
  unsigned char low_byte;  // its low eight bits (two's complement), exact at any length
};

decimal_token convert_token(const char* t) {
  constexpr int64_t ceiling = INT64_C(1) << 62;
  const bool negative = *t == '-';
  if (*t == '-' || *t == '+') ++t;
  int64_t v = 0;
  uint64_t wrapped = 0;  // the number modulo 2^64, whose low byte is the number's
  for (; *t >= '0' && *t <= '9'; ++t) {
    const int digit = *t - '0';
    v = v > (ceiling - digit) / 10 ? ceiling : v * 10 + digit;
    wrapped = wrapped * 10 + static_cast<uint64_t>(digit);
  }
  if (negative) wrapped = 0 - wrapped;
  return {negative ? -v : v, static_cast<unsigned char>(wrapped & 0xFF)};
}

int64_t token_value(const char* t) { return convert_token(t).value; }

int as_int(int64_t v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

// "texure" is how these lines have always read; users and scripts match them as they are.
const qxtexture::ppm_messages qxtexture::mipmap_messages = {
    "Cannot open texure file %s\n",
    "#ERROR: Texure file %s is not an ASCII PPM format\n",
    "ERROR: Width of texture file %s is not power of 2\n",
    "#ERROR: Height of texture file %s is not power of 2\n",
    "#ERROR: Color component in %s does not fit in a byte.\n",
    "#ERROR: Texture file %s ends before its last sample.\n",
};

int qxtexture::resize(int width, int height, int depth) {
  printf("DEBUG: resize() %s, %d\n", DIAG_HERE);
  printf("DEBUG: resize() %d %d %d:%s, %d\n", width, height, depth, DIAG_HERE);
  // The byte count must fit the signed 32-bit size we report and allocate.
  int64_t size = static_cast<int64_t>(width) * height * depth;
  if (width < 0 || height < 0 || depth < 0 || size > INT_MAX) {
    fprintf(stderr, "ERROR: Texture size %d x %d x %d does not fit in memory.\n", width, height,
            depth);
    return 0;
  }
  unsigned char* fresh = static_cast<unsigned char*>(malloc(size > 0 ? size : 1));
  if (!fresh) {
    fprintf(stderr, "ERROR: Cannot allocate %lld bytes for a texture.\n",
            static_cast<long long>(size));
    return 0;
  }
  w = width;
  h = height;
  d = depth;
  printf("DEBUG: resize() new size %d :%s, %d\n", static_cast<int>(size), DIAG_HERE);
  free(pixels);
  pixels = fresh;
  return 1;
}

int qxtexture::is_power_of_two(int n) {
  if (n == 0) return 0;
  while (n % 2 == 0) n >>= 1;
  return n == 1 ? 1 : 0;
}

const char* qxtexture::next_token(FILE* file) {
  for (;;) {
    if (*ppm_cursor == '\0') {
      if (!read_chunk(file)) {
        ppm_token[0] = '\0';  // end of file: no token left
        return ppm_token;
      }
    } else if (is_blank(*ppm_cursor)) {
      ++ppm_cursor;
    } else {
      break;
    }
  }
  size_t n = 0;
  for (;;) {
    char c = *ppm_cursor;
    if (c == '\0') {
      // A token cut by the chunk limit goes on in the next chunk of its line.
      if (chunk_ended_line || !read_chunk(file)) break;
      continue;
    }
    if (is_blank(c)) break;
    if (n + 1 < sizeof ppm_token) ppm_token[n++] = c;
    ++ppm_cursor;
  }
  ppm_token[n] = '\0';
  return ppm_token;
}

int qxtexture::read_ppm(const char* path, GLuint name, const ppm_messages& msgs,
                        bool store_size_early) {
  tex_name = name;
  FILE* file = fopen(path, "r");
  if (!file) {
    fprintf(stderr, msgs.cannot_open, path);
    return 0;
  }
  ppm_line[0] = '\0';
  ppm_cursor = ppm_line;
  chunk_ended_line = true;

  auto fail = [&](const char* message) {
    fprintf(stderr, message, path);
    fclose(file);
    return 0;
  };

  // Past the header checks nothing may be lost: a file that ends early or a
  // size that cannot be had puts back the old picture with its own sizes,
  // including the sizes the early store wrote over.
  const int old_w = w, old_h = h, old_d = d;
  unsigned char* const old_pixels = pixels;
  auto restore = [&]() {
    if (pixels != old_pixels) free(pixels);
    pixels = old_pixels;
    w = old_w;
    h = old_h;
    d = old_d;
  };

  if (strcmp(next_token(file), "P3") != 0) return fail(msgs.not_ascii_ppm);
  int width = as_int(token_value(next_token(file)));
  if (store_size_early) w = width;
  if (!is_power_of_two(width)) return fail(msgs.width_not_pow2);
  int height = as_int(token_value(next_token(file)));
  if (store_size_early) h = height;
  if (!is_power_of_two(height)) return fail(msgs.height_not_pow2);
  if (token_value(next_token(file)) > 255) return fail(msgs.sample_too_wide);
  // A file too short to hold the samples its header promises fails here,
  // before a picture of that size is allocated for nothing: each sample
  // takes at least one character and a blank after all but the last.
  size_t samples = static_cast<size_t>(width) * height * 3;
  long long length = file_length(path);
  if (length >= 0 && static_cast<unsigned long long>(length) < samples * 2 - 1) {
    restore();
    return fail(msgs.ends_early);
  }

  // The old buffer stays ours until every sample of the new one is in.
  pixels = nullptr;
  if (!resize(width, height, 3)) {
    restore();
    fclose(file);
    return 0;
  }
  for (size_t i = 0; i < samples; ++i) {
    const char* token = next_token(file);
    if (token[0] == '\0') {
      restore();
      return fail(msgs.ends_early);
    }
    pixels[i] = convert_token(token).low_byte;
  }
  free(old_pixels);
  fclose(file);
  return 1;
}

void qxtexture::bind_for_upload(GLenum target) {
  glBindTexture(target, tex_name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

int qxtexture::load_mipmapped(const char* path, GLuint name, GLenum target,
                              const ppm_messages& msgs, bool anisotropic) {
  if (!read_ppm(path, name, msgs, false)) return 0;
  bind_for_upload(target);
  if (anisotropic) set_max_anisotropy(target);
  return gluBuild2DMipmaps(target, GL_RGB, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels) == 0 ? 1 : 0;
}

void qxtexture::upload_rgba_picture() {
  bind_for_upload(GL_TEXTURE_2D);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

int qxtexture::load_ppm_mipmap(const char* path, GLuint name) {
  return load_mipmapped(path, name, GL_TEXTURE_2D, mipmap_messages, false);
}

void qxtexture::make_gradient() {
  if (!resize(256, 256, 4)) return;
  for (int r = 0; r < 256; ++r) {
    for (int c = 0; c < 256; ++c) {
      unsigned char* p = pixels + (r * 256 + c) * 4;
      p[0] = static_cast<unsigned char>(r % 255);
      p[1] = static_cast<unsigned char>(c % 255);
      p[2] = 0;
      p[3] = 255;
    }
  }
  upload_rgba_picture();
}

// The further loaders share the reading path; only their wording differs.
// "texure" again kept as printed since the first release.
const qxtexture::ppm_messages qxtexture::variant_messages = {
    "Cannot open texure file %s\n",
    "Texure file %s is not an ASCII PPM format\n",
    "Width of texture file %s is not power of 2\n",
    "Height of texture file %s is not power of 2\n",
    "Color component in %s does not fit in a byte.\n",
    "Texture file %s ends before its last sample.\n",
};

#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

void qxtexture::set_max_anisotropy(GLenum target) {
  // A driver without the extension leaves the query alone and raises an
  // error; 1.0 (no anisotropy) is then what we report and set.
  GLfloat largest = 1.0f;
  glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
  printf("DEBUG: largest supported anisotropy=%f. :%s, %d\n", largest, DIAG_HERE);
  glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, largest);
}

int qxtexture::load_ppm(const char* path, GLuint name) {
  return load_ppm_target(path, name, GL_TEXTURE_2D);
}

int qxtexture::load_ppm_target(const char* path, GLuint name, GLenum target) {
  if (!read_ppm(path, name, variant_messages, false)) return 0;
  bind_for_upload(target);
  glTexImage2D(target, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  return 1;
}

int qxtexture::load_ppm_level(const char* path, GLuint name, int level) {
  if (!read_ppm(path, name, variant_messages, true)) return 0;
  bind_for_upload(GL_TEXTURE_2D);
  glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  return 1;
}

int qxtexture::load_ppm_mipmap_aniso(const char* path, GLuint name) {
  return load_ppm_mipmap_aniso_target(path, name, GL_TEXTURE_2D);
}

int qxtexture::load_ppm_mipmap_target(const char* path, GLuint name, GLenum target) {
  return load_mipmapped(path, name, target, variant_messages, false);
}

int qxtexture::load_ppm_mipmap_aniso_target(const char* path, GLuint name, GLenum target) {
  return load_mipmapped(path, name, target, variant_messages, true);
}

void qxtexture::make_checker() {
  if (!resize(64, 64, 4)) return;
  for (int r = 0; r < 64; ++r) {
    for (int c = 0; c < 64; ++c) {
      unsigned char* p = pixels + (r * 64 + c) * 4;
      const unsigned char v = ((r ^ c) & 8) ? 255 : 0;
      p[0] = p[1] = p[2] = v;
      p[3] = 255;
    }
  }
  upload_rgba_picture();
}
