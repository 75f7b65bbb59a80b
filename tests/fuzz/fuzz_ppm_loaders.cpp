// Every PPM loader of the texture object on arbitrary file bytes. The first
// byte picks the loader and its target or level; the rest is the file.
// Beyond the sanitizers' checks: a load either yields a whole power-of-two
// picture or leaves the object's picture as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "fuzz_support.h"
#include "qxtexture.h"

namespace {

qxtexture* texture;
GLuint names[2];

uint64_t sum_bytes(const unsigned char* p, size_t n) {
  uint64_t s = 0;
  for (size_t i = 0; i < n; ++i) s = s * 31 + p[i];
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  make_offscreen_gl_context();
  glGenTextures(2, names);
  texture = new qxtexture;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const char* path = input_file(data + 1, size - 1);
  // The proxy target checks the upload without storing it; level 1 alone
  // leaves an incomplete texture. Neither may upset the loaders.
  const GLenum target = (choice & 0x10) ? GL_PROXY_TEXTURE_2D : GL_TEXTURE_2D;
  const int level = (choice >> 5) & 3;
  const GLuint name = names[(choice >> 7) & 1];

  const int old_w = texture->w, old_h = texture->h, old_d = texture->d;
  const unsigned char* old_pixels = texture->pixels;
  const uint64_t old_sum = old_pixels ? sum_bytes(old_pixels, size_t(old_w) * old_h * old_d) : 0;

  int result = 0;
  bool keeps_size_numbers = false;  // the level loader shows rejected sizes
  bool upload_may_fail = false;     // a mipmap build that fails returns 0 after reading
  switch (choice % 7) {
    case 0:
      result = texture->load_ppm_mipmap(path, name);
      upload_may_fail = true;
      break;
    case 1:
      result = texture->load_ppm(path, name);
      break;
    case 2:
      result = texture->load_ppm_target(path, name, target);
      break;
    case 3:
      result = texture->load_ppm_level(path, name, level);
      keeps_size_numbers = true;
      break;
    case 4:
      result = texture->load_ppm_mipmap_aniso(path, name);
      upload_may_fail = true;
      break;
    case 5:
      result = texture->load_ppm_mipmap_target(path, name, target);
      upload_may_fail = true;
      break;
    case 6:
      result = texture->load_ppm_mipmap_aniso_target(path, name, target);
      upload_may_fail = true;
      break;
  }
  while (glGetError() != GL_NO_ERROR) {
  }

  check(result == 0 || result == 1, "a loader returned neither 0 nor 1");
  check(texture->tex_name == name, "the texture name was not stored");
  const bool whole_new_picture = texture->pixels && texture->d == 3 &&
                                 texture->is_power_of_two(texture->w) &&
                                 texture->is_power_of_two(texture->h);
  if (result == 1) {
    check(whole_new_picture, "a successful load left no whole power-of-two picture");
    // Every byte of the new picture must be there (ASan watches the reads).
    sum_bytes(texture->pixels, size_t(texture->w) * texture->h * 3);
    return 0;
  }
  if (upload_may_fail && whole_new_picture && texture->pixels != old_pixels) return 0;
  check(texture->pixels == old_pixels, "a failed load replaced the picture");
  check(texture->d == old_d, "a failed load changed the depth");
  if (!keeps_size_numbers) {
    check(texture->w == old_w && texture->h == old_h, "a failed load changed the size");
  }
  if (old_pixels) {
    check(sum_bytes(old_pixels, size_t(old_w) * old_h * old_d) == old_sum,
          "a failed load changed the old picture's pixels");
  }
  // The level loader may have put a rejected size in w and h: put back the
  // one that matches the buffer, so that the next input's check is sound.
  texture->w = old_w;
  texture->h = old_h;
  return 0;
}
