// The texture object: one OpenGL 2-D texture with a client-side copy of its
// pixels, filled from a plain-text PPM file or a procedural picture.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "diag/source_location.h"
#include "gl_headers.h"

class qxtexture {
 public:
  GLuint tex_name = 0;
  int w = 0;
  int h = 0;
  int d = 0;
  unsigned char* pixels = nullptr;

  qxtexture() {
    printf("DEBUG:qxtexture loaded.:%s, %d\n", DIAG_HERE);
    printf("DEBUG:qxtexture:w,h,d,%d %d %d :%s, %d\n", w, h, d, DIAG_HERE);
  }
  ~qxtexture() {
    printf("DEBUG: destructor was called in %s, %d\n", DIAG_HERE);
    free(pixels);
  }
  qxtexture(const qxtexture&) = delete;
  qxtexture& operator=(const qxtexture&) = delete;

  // Makes room for a w x h picture of d bytes per pixel. Returns 1, or 0 when
  // the size does not fit a signed 32-bit byte count or the memory cannot be
  // had; the object is then left exactly as it was.
  int resize(int width, int height, int depth);
  int is_power_of_two(int n);
  const char* next_token(FILE* file);

  void make_gradient();
  int load_ppm_mipmap(const char* path, GLuint name);

  // Further loaders: one level or a mipmap chain, the 2-D target or the
  // caller's, with or without the driver's largest anisotropy. Each returns 1
  // once uploaded (the mipmapped ones: once the chain is built), else 0.
  int load_ppm(const char* path, GLuint name);
  int load_ppm_target(const char* path, GLuint name, GLenum target);
  // Defines only the given level. Keeps each size number in w and h as soon
  // as it is read, so a rejected size stays visible there; a file that fails
  // after the size checks puts the old sizes back with the old picture.
  int load_ppm_level(const char* path, GLuint name, int level);
  int load_ppm_mipmap_aniso(const char* path, GLuint name);
  int load_ppm_mipmap_target(const char* path, GLuint name, GLenum target);
  int load_ppm_mipmap_aniso_target(const char* path, GLuint name, GLenum target);
  // A 64 x 64 checkerboard of 8 x 8 black and white squares, black at (0, 0).
  void make_checker();

 private:
  // The wording of one loader family's failure lines.
  struct ppm_messages {
    const char* cannot_open;
    const char* not_ascii_ppm;
    const char* width_not_pow2;
    const char* height_not_pow2;
    const char* sample_too_wide;
    const char* ends_early;
  };
  static const ppm_messages mipmap_messages;
  static const ppm_messages variant_messages;

  // The reading path every PPM loader shares: stores the name, reads and
  // checks the file, fills the pixels. 1 once every sample is in, else 0 with
  // the object's picture as it was. store_size_early keeps each header number
  // in w and h as soon as it is read (the single-level-at-a-level loader).
  int read_ppm(const char* path, GLuint name, const ppm_messages& msgs, bool store_size_early);
  // Bind tex_name to target with byte-aligned rows, ready for an upload.
  void bind_for_upload(GLenum target);
  // Uploads a procedural RGBA picture as level 0 of the 2-D texture.
  void upload_rgba_picture();
  // Gives the bound texture the driver's largest anisotropy, and says which.
  void set_max_anisotropy(GLenum target);
  // Reads the file and builds the whole mipmap chain on target.
  int load_mipmapped(const char* path, GLuint name, GLenum target, const ppm_messages& msgs,
                     bool anisotropic);
};

// The reader's chunk, cursor and last token, shared by every object.
extern char ppm_line[80];
extern char* ppm_cursor;
extern char ppm_token[80];
