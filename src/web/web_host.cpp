// The web page's host: the scene on the page's canvas through a WebGL
// context of its own, one frame per animation frame, reshaped whenever the canvas's
// size on the page changes. The page (page.js) passes the seed and the
// frame-rate switch as command-line arguments and shows what it is told.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fps_label.h"
#include "main.h"
#include "web_view.h"

namespace {

bool show_fps = false;
bool full_resolution = false;
web_resolution resolution;
int canvas_width = 0;
int canvas_height = 0;

// The drawing buffer follows the canvas's size on the page, in device
// pixels times the share the frame rate allows; the browser scales it to the
// canvas. Asked before every frame, so a resized window, full screen or a
// turned phone all show up in the next frame.
void fit_canvas() {
  double css_width = 0, css_height = 0;
  emscripten_get_element_css_size("#canvas", &css_width, &css_height);
  const double pixels = emscripten_get_device_pixel_ratio() * resolution.scale;
  int width = static_cast<int>(css_width * pixels + 0.5);
  int height = static_cast<int>(css_height * pixels + 0.5);
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (width == canvas_width && height == canvas_height) return;
  canvas_width = width;
  canvas_height = height;
  // Setting a canvas's size makes its drawing buffer again even when the
  // size stays; the page gives the buffer its first size before the context.
  int buffer_width = 0, buffer_height = 0;
  emscripten_get_canvas_element_size("#canvas", &buffer_width, &buffer_height);
  if (buffer_width != width || buffer_height != height)
    emscripten_set_canvas_element_size("#canvas", width, height);
  scene_reshape(width, height);
  // The core's projection fits the height; on a narrow screen the page fits
  // the width of a 16:9 window instead, so that the title stays in view.
  const double narrow = web_narrow_view_scale(width, height);
  if (narrow < 1.0) {
    glMatrixMode(GL_PROJECTION);
    glScalef(static_cast<float>(narrow), static_cast<float>(narrow), 1.0f);
    glMatrixMode(GL_MODELVIEW);
  }
}

// The browser has no GL fonts: the rate goes into the page's own label.
void show_rate_text(float, float, const char* text) {
  EM_ASM({ Module.showRate(UTF8ToString($0)); }, text);
}

void frame() {
  if (!full_resolution) resolution.frame(emscripten_get_now());
  fit_canvas();
  fps_tick();
  scene_draw();
  if (show_fps) draw_fps_label(show_rate_text);
  web_gl_finish_frame();
  EM_ASM({ Module.frameDrawn($0); }, scene_state.frame_count);
}

}  // namespace

int main(int argc, char** argv) {
  unsigned seed = static_cast<unsigned>(time(nullptr));
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
      seed = static_cast<unsigned>(strtoul(argv[++i], nullptr, 10));
    else if (strcmp(argv[i], "--fps") == 0)
      show_fps = true;
    else if (strcmp(argv[i], "--full-resolution") == 0)
      full_resolution = true;
  }
  // An opaque canvas with a depth buffer, as the desktop hosts ask for.
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = false;
  attributes.antialias = false;
  attributes.depth = true;
  // The scene needs no WebGL extension; turning on all of them, one round
  // trip to the GPU process each, was a good share of the start.
  attributes.enableExtensionsByDefault = false;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
      emscripten_webgl_create_context("#canvas", &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
    EM_ASM({ Module.unable("WebGL would not start here, so the nebula cannot be shown."); });
    return 1;
  }
  web_gl_start();
  // The core's progress lines are for developers; the page has nowhere to
  // show them, and each would still be decoded and handed out one by one.
  // Its error lines go to stderr, which the page keeps.
  if (!freopen("/dev/null", "w", stdout)) perror("orvane: /dev/null");
  srand(seed);
  scene_init();
  fit_canvas();
  emscripten_set_main_loop(frame, 0, 0);
  return 0;
}
