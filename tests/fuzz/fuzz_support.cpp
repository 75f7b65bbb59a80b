#include "fuzz_support.h"

#include <GL/glx.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

const char* input_file(const uint8_t* data, size_t size) {
  static std::string path;
  static int fd = -1;
  if (fd < 0) {
    const char* dir = getenv("TMPDIR");
    path = std::string(dir && *dir ? dir : "/tmp") + "/orvane-fuzz-XXXXXX";
    fd = mkstemp(&path[0]);
    if (fd < 0) {
      perror("orvane fuzz: temporary file");
      abort();
    }
    // Gone from the folder when the process ends, however it ends.
    atexit([] { unlink(path.c_str()); });
  }
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
    perror("orvane fuzz: writing the input");
    abort();
  }
  return path.c_str();
}

void make_offscreen_gl_context() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    fprintf(stderr, "orvane fuzz: no X display; run under xvfb-run\n");
    abort();
  }
  const int config_attributes[] = {GLX_DRAWABLE_TYPE,
                                   GLX_PBUFFER_BIT,
                                   GLX_RENDER_TYPE,
                                   GLX_RGBA_BIT,
                                   GLX_RED_SIZE,
                                   8,
                                   GLX_GREEN_SIZE,
                                   8,
                                   GLX_BLUE_SIZE,
                                   8,
                                   None};
  int count = 0;
  GLXFBConfig* configs =
      glXChooseFBConfig(display, DefaultScreen(display), config_attributes, &count);
  if (!configs || count == 0) {
    fprintf(stderr, "orvane fuzz: no pbuffer-capable GLX configuration\n");
    abort();
  }
  const int pbuffer_attributes[] = {GLX_PBUFFER_WIDTH, 64, GLX_PBUFFER_HEIGHT, 64, None};
  GLXPbuffer pbuffer = glXCreatePbuffer(display, configs[0], pbuffer_attributes);
  GLXContext context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
  XFree(configs);
  if (!context || !glXMakeContextCurrent(display, pbuffer, pbuffer, context)) {
    fprintf(stderr, "orvane fuzz: cannot make the GLX context current\n");
    abort();
  }
}
